// The main window's log commands: clearing the change list, handing the user
// a copy of Log.csv, and the copy each row of the list leads to.

#include "app/frmMain.h"

#include "common/modKorvel.h"
#include "common/offThread.h"
#include "tray/notifyIconProtocol.h"

void frmMain::cmdClearLogView_Click() {
    m_controls.lstLog.clear();
    m_rowCopies.clear(); // the links go with the rows; the copies stay
}

void frmMain::cmdOpenLog_Click() {
    // Through the copy queue: the log is copied with the one copier, after a
    // copy that is running has ended.
    m_copies.submit(copies::CopyRequest::Log);
}

view::RowCopyOffer frmMain::lstLog_CopyOffer(std::int64_t row) const {
    const auto copy = m_rowCopies.at(row);
    return {copy.state == logview::RowCopyState::Copied, logview::rowCopyTip(copy)};
}

void frmMain::lstLog_RowMenu(std::int64_t row) {
    const bool hasCopy = lstLog_CopyOffer(row).hasCopy;
    const auto chosen = [&] {
        const NestedLoop menu(*this);
        return m_controls.lstLog.popupRowMenu(hasCopy);
    }();
    if (chosen && !m_unloaded) {
        lstLog_RowCommand(row, *chosen);
    }
}

void frmMain::lstLog_RowCommand(std::int64_t row, view::RowCommand command) {
    const auto copy = m_rowCopies.at(row);
    if (copy.state != logview::RowCopyState::Copied) {
        return;
    }
    // The copies folder may be on a file system that does not answer.
    const auto there = [&] {
        const NestedLoop look(*this);
        return OffThread<bool>(m_host, [path = copy.path] { return platform::fileStatus(path).has_value(); })
            .wait([this] { return m_unloaded; });
    }();
    if (!there || m_unloaded) {
        return;
    }
    m_rowCopies.found(row, *there);
    if (!*there) {
        // The row's tooltip says it too.
        showBalloon("File: " + modKorvel::GetFileName(copy.path, false) +
                        "\r\nThe copy was deleted or moved since it was made.",
                    "Copy Not Found", tray::balloonIcon::Warning);
        return;
    }
    switch (command) {
    case view::RowCommand::OpenCopy:
        m_host.shell().openDocument(copy.path, modKorvel::GetFolder(copy.path));
        break;
    case view::RowCommand::ShowCopyInFolder:
        m_host.shell().showFileInFolder(copy.path);
        break;
    case view::RowCommand::CopyPath:
        m_host.shell().copyToClipboard(copy.path);
        break;
    }
}

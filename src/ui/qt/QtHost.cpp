#include "ui/qt/QtHost.h"

#include "common/continueOnError.h"
#include "common/modKorvel.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/trail.h"
#include "tray/RestoreFromTrayMessage.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/Pictures.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

namespace ui {

namespace {

constexpr std::uint64_t kWindowIconHandle = 100;

// GetVersion's answer for a current Windows NT: the tray component then uses
// the wide record with balloons, as on any shell of today.
constexpr std::uint32_t kCurrentShellVersion = 0x0000'0206;

// How long the file manager may take to answer before its folder is opened instead.
constexpr int kFileManagerTimeoutMs = 5000;

// Closes the widgets `top` names, one after the other, until none is left or
// one will not close (a dialog that refuses must not keep this looping).
template <typename Top, typename Close>
void closeEach(Top top, Close close) {
    for (QWidget* widget = top(); widget != nullptr;) {
        close(widget);
        QWidget* next = top();
        if (next == widget) {
            return;
        }
        widget = next;
    }
}

} // namespace

QtHost::QtHost(MainWindow& window, const std::optional<platform::ProgramFolders>& folders)
    : m_window(window), m_windowIcon(pictures::windowIcon()),
      m_tray([this](std::uint64_t handle) { return iconFor(handle); }, [this] { tray::bringWindowBack(m_window); }),
      // The GUI thread's dispatcher; its wakeUp() may be called from any thread.
      m_waker(std::make_shared<Waker>(
          [dispatcher = QAbstractEventDispatcher::instance()] {
              if (dispatcher != nullptr) {
                  dispatcher->wakeUp();
              }
          },
          [this](std::function<void()> work) { post(std::move(work)); })),
      m_tones(
          platform::playTone, [] { QApplication::beep(); }, m_waker) {
    m_heartbeat.setSingleShot(true);
    for (const auto& pixmap : pictures::stateIcons()) {
        m_stateIcons.emplace_back(pixmap);
    }
    if (folders) {
        m_dataFolder = appFolderFrom(folders->data);
        m_settingsFolder = appFolderFrom(folders->settings);
    }
}

QtHost::~QtHost() {
    m_waker->close();
}

std::unique_ptr<frmSysTray> QtHost::createSysTray() {
    return std::make_unique<frmSysTray>(m_tray, m_tray, [] { return kCurrentShellVersion; });
}

std::uint64_t QtHost::stateIcon(int image) noexcept {
    return static_cast<std::uint64_t>(image);
}

std::uint64_t QtHost::windowIcon() noexcept {
    return kWindowIconHandle;
}

QIcon QtHost::iconFor(std::uint64_t handle) const {
    if (handle >= 1 && handle <= m_stateIcons.size()) {
        return m_stateIcons[handle - 1];
    }
    return m_windowIcon;
}

void QtHost::setWindowIcons() noexcept {
    m_window.setWindowIcon(m_windowIcon);
    QApplication::setWindowIcon(m_windowIcon);
}

QString QtHost::dialogFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also those without a full stop in their names.
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        entries << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> QtHost::chooseFile(const std::string& title, const std::string& filter) noexcept {
    const QString chosen =
        QFileDialog::getOpenFileName(&m_window, QString::fromStdString(title), QString(), dialogFilter(filter));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

void QtHost::beep(std::int32_t frequency, std::int32_t milliseconds) noexcept {
    // Without a sound device, the desktop's bell rings instead.
    m_tones.start(frequency, milliseconds);
}

void QtHost::openDocument(const std::string& file, const std::string& folder) noexcept {
    // Shows its own message when the request cannot be made at all.
    modKorvel::ShellOpen(file, folder, std::nullopt);
}

void QtHost::showFileInFolder(const std::string& path) noexcept {
    // The freedesktop file manager interface shows the file selected; without
    // it, the file's folder is opened.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QString::fromStdString(path)).toString()} << QString();
    try {
        const auto folder = modKorvel::GetFolder(path);
        auto* watcher = new QDBusPendingCallWatcher(
            QDBusConnection::sessionBus().asyncCall(call, kFileManagerTimeoutMs), &m_context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_context,
                         [this, watcher, folder = folder.empty() ? std::string(".") : folder] {
                             watcher->deleteLater();
                             // An error reply, no file manager on the bus, or no answer in time.
                             if (watcher->isError()) {
                                 openFolder(folder);
                             }
                         });
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: nothing is shown.
    }
}

void QtHost::copyToClipboard(const std::string& text) noexcept {
    try {
        if (auto* clipboard = QGuiApplication::clipboard()) {
            clipboard->setText(QString::fromStdString(text));
        }
    } catch (...) {
        platform::trailCurrentException();
    }
}

void QtHost::openFolder(const std::string& folder) noexcept {
    platform::shellOpenDocument(folder, folder, std::nullopt);
}

void QtHost::showMessage(const UserMessage& message) noexcept {
    const auto icon = message.icon == MessageIcon::Critical  ? QMessageBox::Critical
                      : message.icon == MessageIcon::Warning ? QMessageBox::Warning
                                                             : QMessageBox::Information;
    QMessageBox box(icon, QString::fromStdString(message.title), QString::fromStdString(message.text), QMessageBox::Ok,
                    m_window.isVisible() ? &m_window : nullptr);
    box.exec();
}

void QtHost::pumpMessages() noexcept {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::waitForMessages() noexcept {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtHost::waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept {
    m_heartbeat.start(atMost);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_heartbeat.stop(); // no stray wake-up later
}

void QtHost::quit() noexcept {
    QCoreApplication::quit();
}

void QtHost::endNestedLoops() noexcept {
    // Menus first: one may have been opened over a dialog.
    closeEach([] { return QApplication::activePopupWidget(); }, [](QWidget* popup) { popup->close(); });
    closeEach([] { return QApplication::activeModalWidget(); },
              [](QWidget* modal) {
                  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                      dialog->reject(); // a message box without a cancel button refuses a close
                  } else {
                      modal->close();
                  }
              });
}

void QtHost::post(std::function<void()> work) noexcept {
    try {
        // Queued to the GUI thread's context object: safe from any thread.
        QMetaObject::invokeMethod(
            &m_context, [work = std::move(work)] { continueOnError(work); }, Qt::QueuedConnection);
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: the work is dropped.
    }
}

std::optional<std::string> QtHost::appFolder() noexcept {
    try {
        return m_dataFolder ? m_dataFolder : AppFolders::appFolder();
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt; // out of memory
    }
}

std::optional<std::string> QtHost::settingsFolder() noexcept {
    try {
        return m_settingsFolder ? m_settingsFolder : AppFolders::settingsFolder();
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt;
    }
}

} // namespace ui

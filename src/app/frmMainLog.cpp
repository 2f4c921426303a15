// The main window's log commands: clearing the change list and handing the
// user a copy of Log.csv.

#include "app/frmMain.h"

void frmMain::cmdClearLogView_Click() {
    m_controls.lstLog.clear();
}

void frmMain::cmdOpenLog_Click() {
    // Through the copy queue: the log is copied with the one copier, after a
    // copy that is running has ended.
    m_copies.submit(copies::CopyRequest::Log);
}

#pragma once
// The session ending (SIGTERM, SIGHUP) or Ctrl+C closes the main window as
// the user would, so that a copy under way is finished rather than cut short.

class QWidget;

namespace ui {

// From now on an end signal closes `window` from its event loop. The signal
// handlers, installed once for the process, only write to a pipe that the
// window's notifier reads. False when the pipe cannot be made: the signals
// then end the program as they would by default.
bool closeOnEndSignals(QWidget& window);

} // namespace ui

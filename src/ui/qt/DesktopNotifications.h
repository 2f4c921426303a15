#pragma once
// The program's balloons as the desktop's own notifications, through the
// freedesktop notification service (org.freedesktop.Notifications on the
// session bus). Most desktops have that service whether or not they have a
// tray, so a balloon reaches the user either way.
//
// Every bus call is asynchronous: the GUI thread never waits for the service.
// Whether the service is there is learned from the answer to the first call
// a balloon makes; a balloon the service does not take (none on the bus, an
// error reply, no answer in time) goes to the fallback instead.

#include <QDBusMessage>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ui {

struct Balloon {
    QString title;
    QString text; // lines joined by CR LF
    QIcon picture;
    QSystemTrayIcon::MessageIcon kind = QSystemTrayIcon::NoIcon;
    int timeoutMs = 0;
};

class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    // `fallback` shows a balloon the service did not take; `activated` runs
    // when the user clicks the program's notification.
    DesktopNotifications(std::function<void(const Balloon&)> fallback, std::function<void()> activated,
                         QObject* parent = nullptr);
    ~DesktopNotifications() override;

    // Shows `balloon` in place of the program's previous notification.
    // Returns at once; while the service has not answered the previous call,
    // only the newest balloon waits, since it would replace the others anyway.
    void show(Balloon balloon);
    // Takes the program's notification away; clicks on it, or on one still
    // being shown, are ignored from now on.
    void closeAll();

private slots:
    void onActionInvoked(const QDBusMessage& signal);
    void onNotificationClosed(const QDBusMessage& signal);

private:
    void sendNext();
    void askCapabilities();
    void notify(const Balloon& balloon);
    void closeNotification(std::uint32_t id) const;
    void forget(std::uint32_t id);
    bool fromServer(const QDBusMessage& signal) const;

    std::function<void(const Balloon&)> m_fallback;
    std::function<void()> m_activated;
    bool m_listening = false;
    // A call to the service has not been answered yet.
    bool m_waiting = false;
    std::optional<Balloon> m_next;
    // Whether the service takes markup in a body; unknown until it has said.
    std::optional<bool> m_markup;
    // The service's own bus name, which its signals come from.
    QString m_server;
    // The notifications on the desktop that are the program's, newest last;
    // the newest is the one a new balloon replaces.
    std::vector<std::uint32_t> m_shown;
    // Counts closeAll calls: a notification shown for an earlier count is
    // taken away as soon as its id is known.
    std::uint32_t m_round = 0;
};

} // namespace ui

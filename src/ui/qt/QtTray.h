#pragma once
// The tray component's shell on Linux desktops: the notify-icon records are
// carried out on a QSystemTrayIcon (the desktop's status notifier or system
// tray), balloons go through the desktop's notification service (the icon's
// own balloon where there is none), and the icon's clicks come back as the
// mouse messages the component decodes.

#include "platform/notifyIcon.h"
#include "ui/qt/DesktopNotifications.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace ui {

class QtTray : public QObject, public platform::NotifyShell, public platform::TrayWindow {
public:
    // `iconFor` turns the component's icon handles into pictures;
    // `notificationClicked` runs when the user clicks one of its notifications.
    explicit QtTray(std::function<QIcon(std::uint64_t)> iconFor, std::function<void()> notificationClicked = {},
                    QObject* parent = nullptr);
    ~QtTray() override;

    void notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataW& record) override;
    void notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataA& record) override;

    Handles create(platform::TrayWindowCallbacks callbacks) override;
    void destroy() override;
    std::optional<std::int32_t> popupMenu(const std::vector<platform::PopupMenuItem>& items,
                                          std::optional<std::int32_t> defaultIndex) override;

    // The shortest time a balloon stays: the shell raises shorter time-outs
    // to what a person can read.
    static constexpr int kMinimumBalloonMs = 4000;

    // For tests: the icon as the desktop would show it, and clicks on it.
    QSystemTrayIcon* trayIcon() const { return m_icon.get(); }
    void activate(QSystemTrayIcon::ActivationReason reason);

private:
    struct Texts {
        QString tip;
        QString info;
        QString infoTitle;
    };
    void apply(platform::NotifyMessage message, std::uint32_t flags, std::uint64_t icon, std::uint32_t timeout,
               std::uint32_t infoFlags, const Texts& texts);
    void deliver(std::int32_t value);
    void showIconBalloon(const Balloon& balloon);

    std::function<QIcon(std::uint64_t)> m_iconFor;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    platform::TrayWindowCallbacks m_callbacks;
    DesktopNotifications m_notifications;
};

} // namespace ui

#include "ui/qt/QtTray.h"

#include "platform/trail.h"
#include "tray/notifyIconProtocol.h"

#include <QCursor>
#include <QMenu>

#include <algorithm>

namespace ui {

namespace {

namespace callback = tray::callback;

// A narrow record's balloon texts are padded with blanks.
QString withoutPadding(const std::string& text) {
    QString result = QString::fromStdString(text);
    while (result.endsWith(QLatin1Char(' '))) {
        result.chop(1);
    }
    return result;
}

QSystemTrayIcon::MessageIcon balloonIcon(std::uint32_t infoFlags) {
    switch (infoFlags & 0x0f) {
    case tray::balloonIcon::Info:
        return QSystemTrayIcon::Information;
    case tray::balloonIcon::Warning:
        return QSystemTrayIcon::Warning;
    case tray::balloonIcon::Error:
        return QSystemTrayIcon::Critical;
    default:
        return QSystemTrayIcon::NoIcon;
    }
}

} // namespace

QtTray::QtTray(std::function<QIcon(std::uint64_t)> iconFor, std::function<void()> notificationClicked, QObject* parent)
    : QObject(parent), m_iconFor(std::move(iconFor)),
      m_notifications([this](const Balloon& balloon) { showIconBalloon(balloon); }, std::move(notificationClicked)) {}

QtTray::~QtTray() = default;

void QtTray::notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataW& record) {
    apply(message, record.uFlags, record.hIcon, record.uTimeout, record.dwInfoFlags,
          {QString::fromStdString(tray::wideFieldText(record.szTip)),
           QString::fromStdString(tray::wideFieldText(record.szInfo)),
           QString::fromStdString(tray::wideFieldText(record.szInfoTitle))});
}

void QtTray::notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataA& record) {
    apply(message, record.uFlags, record.hIcon, record.uTimeout, record.dwInfoFlags,
          {withoutPadding(tray::narrowFieldText(record.szTip)), withoutPadding(tray::narrowFieldText(record.szInfo)),
           withoutPadding(tray::narrowFieldText(record.szInfoTitle))});
}

void QtTray::apply(platform::NotifyMessage message, std::uint32_t flags, std::uint64_t icon, std::uint32_t timeout,
                   std::uint32_t infoFlags, const Texts& texts) {
    using platform::NotifyMessage;
    namespace flag = platform::notifyFlag;
    if (message == NotifyMessage::Delete) {
        // The icon's balloon goes with it, and so does the notification.
        m_notifications.closeAll();
        m_icon.reset();
        return;
    }
    if (message == NotifyMessage::SetVersion) {
        return;
    }
    if (message == NotifyMessage::Add && !m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](auto reason) { activate(reason); });
        connect(m_icon.get(), &QSystemTrayIcon::messageClicked, this, [this] { deliver(callback::BalloonClicked); });
    }
    if (!m_icon) {
        return; // a modify before the add, as the shell itself would refuse it
    }
    if ((flags & flag::Icon) != 0) {
        m_icon->setIcon(m_iconFor ? m_iconFor(icon) : QIcon());
    }
    if ((flags & flag::Tip) != 0) {
        m_icon->setToolTip(texts.tip);
    }
    if (message == NotifyMessage::Add) {
        m_icon->show();
    }
    if ((flags & flag::Info) != 0) {
        // The picture is the one the icon shows now: the watched file's state.
        m_notifications.show({texts.infoTitle, texts.info, m_iconFor ? m_iconFor(icon) : QIcon(),
                              balloonIcon(infoFlags),
                              std::max(static_cast<int>(std::min<std::uint32_t>(timeout, 600000)), kMinimumBalloonMs)});
    }
}

void QtTray::showIconBalloon(const Balloon& balloon) {
    // Without a tray either, the balloon is not shown at all.
    if (m_icon) {
        m_icon->showMessage(balloon.title, balloon.text, balloon.kind, balloon.timeoutMs);
    }
}

platform::TrayWindow::Handles QtTray::create(platform::TrayWindowCallbacks callbacks) {
    m_callbacks = std::move(callbacks);
    return {reinterpret_cast<std::uintptr_t>(this), 0};
}

void QtTray::destroy() {
    m_callbacks = {};
}

void QtTray::activate(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        deliver(callback::LeftButtonUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        deliver(callback::LeftDoubleClick);
        break;
    case QSystemTrayIcon::Context:
        deliver(callback::RightButtonDown);
        deliver(callback::RightButtonUp);
        break;
    default:
        break;
    }
}

void QtTray::deliver(std::int32_t value) {
    // A copy: the handler may destroy the window and its callbacks.
    const auto callback = m_callbacks.callback;
    if (callback) {
        try {
            callback(value);
        } catch (...) {
            platform::trailCurrentException();
        }
    }
}

std::optional<std::int32_t> QtTray::popupMenu(const std::vector<platform::PopupMenuItem>& items,
                                              std::optional<std::int32_t> defaultIndex) {
    QMenu menu;
    std::vector<std::pair<QAction*, std::int32_t>> actions;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        if (!item.visible) {
            continue;
        }
        if (item.caption == "-") {
            menu.addSeparator();
            continue;
        }
        // "&" marks the access key in Qt as it does here.
        QAction* action = menu.addAction(QString::fromStdString(item.caption));
        action->setEnabled(item.enabled);
        actions.emplace_back(action, static_cast<std::int32_t>(i));
        if (defaultIndex && *defaultIndex == static_cast<std::int32_t>(i)) {
            menu.setDefaultAction(action);
        }
    }
    QAction* chosen = menu.exec(QCursor::pos());
    for (const auto& [action, index] : actions) {
        if (action == chosen) {
            return index;
        }
    }
    return std::nullopt;
}

} // namespace ui

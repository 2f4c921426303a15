#include "ui/qt/QtTray.h"

#include <QCursor>
#include <QMenu>

#include <algorithm>

namespace ui {

namespace {

// Window messages the component decodes.
constexpr std::int32_t kLeftButtonUp = 514;
constexpr std::int32_t kLeftDoubleClick = 515;
constexpr std::int32_t kRightButtonDown = 516;
constexpr std::int32_t kRightButtonUp = 517;
constexpr std::int32_t kBalloonClicked = 1029;

// A wide record's text field: UTF-16LE bytes up to the first NUL.
template <std::size_t N>
QString wideText(const std::array<std::uint8_t, N>& field) {
    QString text;
    for (std::size_t i = 0; i + 1 < N; i += 2) {
        const char16_t c = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
        if (c == 0) {
            break;
        }
        text += QChar(c);
    }
    return text;
}

// A narrow record's text field: blank-padded, possibly NUL-terminated.
template <std::size_t N>
QString narrowText(const std::array<char16_t, N>& field) {
    QString text;
    for (const char16_t c : field) {
        if (c == 0) {
            break;
        }
        text += QChar(c);
    }
    while (text.endsWith(QLatin1Char(' '))) {
        text.chop(1);
    }
    return text;
}

QSystemTrayIcon::MessageIcon balloonIcon(std::uint32_t infoFlags) {
    switch (infoFlags & 0x0f) {
    case 1:
        return QSystemTrayIcon::Information;
    case 2:
        return QSystemTrayIcon::Warning;
    case 3:
        return QSystemTrayIcon::Critical;
    default:
        return QSystemTrayIcon::NoIcon;
    }
}

} // namespace

QtTray::QtTray(std::function<QIcon(std::uint64_t)> iconFor, QObject* parent)
    : QObject(parent), m_iconFor(std::move(iconFor)) {}

QtTray::~QtTray() = default;

void QtTray::notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataW& record) {
    apply(message, record.uFlags, record.hIcon, record.uTimeout, record.dwInfoFlags,
          {wideText(record.szTip), wideText(record.szInfo), wideText(record.szInfoTitle)});
}

void QtTray::notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataA& record) {
    apply(message, record.uFlags, record.hIcon, record.uTimeout, record.dwInfoFlags,
          {narrowText(record.szTip), narrowText(record.szInfo), narrowText(record.szInfoTitle)});
}

void QtTray::apply(platform::NotifyMessage message, std::uint32_t flags, std::uint64_t icon, std::uint32_t timeout,
                   std::uint32_t infoFlags, const Texts& texts) {
    using platform::NotifyMessage;
    namespace flag = platform::notifyFlag;
    if (message == NotifyMessage::Delete) {
        m_icon.reset();
        return;
    }
    if (message == NotifyMessage::SetVersion) {
        return;
    }
    if (message == NotifyMessage::Add && !m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](auto reason) { activate(reason); });
        connect(m_icon.get(), &QSystemTrayIcon::messageClicked, this, [this] { deliver(kBalloonClicked); });
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
        const int shown = std::max(static_cast<int>(std::min<std::uint32_t>(timeout, 600000)), kMinimumBalloonMs);
        m_icon->showMessage(texts.infoTitle, texts.info, balloonIcon(infoFlags), shown);
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
        deliver(kLeftButtonUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        deliver(kLeftDoubleClick);
        break;
    case QSystemTrayIcon::Context:
        deliver(kRightButtonDown);
        deliver(kRightButtonUp);
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

#include "ui/qt/DesktopNotifications.h"

#include "common/continueOnError.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QVariantMap>

#include <algorithm>

namespace ui {

namespace {

// How long the service may take to answer; a service started on demand
// answers its first call only once it runs.
constexpr int kCallTimeoutMs = 10000;
// Notifications a service that stacks rather than replaces may still show.
constexpr std::size_t kRememberedNotifications = 32;
// What the image asks of the picture; a service scales it to its own size.
constexpr int kImagePixels = 48;

QString serviceName() {
    return QStringLiteral("org.freedesktop.Notifications");
}

QString objectPath() {
    return QStringLiteral("/org/freedesktop/Notifications");
}

QDBusMessage serviceCall(const QString& method) {
    return QDBusMessage::createMethodCall(serviceName(), objectPath(), serviceName(), method);
}

// The "image-data" hint: the picture as raw RGBA rows.
struct NotificationImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowStride = 0;
    bool hasAlpha = true;
    std::int32_t bitsPerSample = 8;
    std::int32_t channels = 4;
    QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& image) {
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.hasAlpha << image.bitsPerSample
             << image.channels << image.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage& image) {
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha >> image.bitsPerSample >>
        image.channels >> image.data;
    argument.endStructure();
    return argument;
}

std::optional<NotificationImage> imageOf(const QIcon& picture) {
    const QImage image =
        picture.pixmap(QSize(kImagePixels, kImagePixels)).toImage().convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull()) {
        return std::nullopt;
    }
    return NotificationImage{image.width(),
                             image.height(),
                             static_cast<std::int32_t>(image.bytesPerLine()),
                             true,
                             8,
                             4,
                             QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes())};
}

// The id a Notify call answered, or nullopt for an error.
std::optional<std::uint32_t> answeredId(const QDBusPendingCallWatcher& watcher) {
    const QDBusPendingReply<std::uint32_t> reply = watcher;
    if (reply.isError()) {
        return std::nullopt;
    }
    return reply.value();
}

} // namespace

DesktopNotifications::DesktopNotifications(std::function<void(const Balloon&)> fallback,
                                           std::function<void()> activated, QObject* parent)
    : QObject(parent), m_fallback(std::move(fallback)), m_activated(std::move(activated)) {
    qDBusRegisterMetaType<NotificationImage>();
}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::show(Balloon balloon) {
    m_next = std::move(balloon);
    sendNext();
}

void DesktopNotifications::closeAll() {
    ++m_round;
    m_next.reset();
    for (const std::uint32_t id : m_shown) {
        closeNotification(id);
    }
    m_shown.clear();
}

void DesktopNotifications::sendNext() {
    if (m_waiting || !m_next) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        const Balloon balloon = std::move(*m_next);
        m_next.reset();
        continueOnError([&] { m_fallback(balloon); });
        return;
    }
    if (!m_listening) {
        // From any sender: naming the service here would make the connection
        // look up its owner, waiting for the bus. The sender is checked as
        // each signal arrives.
        bus.connect(QString(), objectPath(), serviceName(), QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(QDBusMessage)));
        bus.connect(QString(), objectPath(), serviceName(), QStringLiteral("NotificationClosed"), this,
                    SLOT(onNotificationClosed(QDBusMessage)));
        m_listening = true;
    }
    if (!m_markup) {
        askCapabilities();
        return;
    }
    const Balloon balloon = std::move(*m_next);
    m_next.reset();
    notify(balloon);
}

void DesktopNotifications::askCapabilities() {
    m_waiting = true;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(serviceCall(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_waiting = false;
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (!reply.isError()) {
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        } else if (m_next) {
            // No service on the bus: this balloon goes the other way, and
            // the next one asks again.
            const Balloon balloon = std::move(*m_next);
            m_next.reset();
            continueOnError([&] { m_fallback(balloon); });
        }
        sendNext();
    });
}

void DesktopNotifications::notify(const Balloon& balloon) {
    QString body = balloon.text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (*m_markup) {
        body = body.toHtmlEscaped(); // a file name may hold "&" or "<"
    }
    QVariantMap hints;
    if (const auto image = imageOf(balloon.picture)) {
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(*image));
    }
    const std::uint32_t replaces = m_shown.empty() ? 0 : m_shown.back();
    QDBusMessage call = serviceCall(QStringLiteral("Notify"));
    // Clicking the notification is its "default" action.
    call << QCoreApplication::applicationName() << replaces << QString() << balloon.title << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Open")} << hints
         << static_cast<std::int32_t>(balloon.timeoutMs);
    m_waiting = true;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, balloon, round = m_round] {
        watcher->deleteLater();
        m_waiting = false;
        const auto id = answeredId(*watcher);
        if (!id) {
            // The service has gone, or will not show it; another one may
            // answer the next balloon, with other capabilities.
            m_markup.reset();
            if (round == m_round) {
                continueOnError([&] { m_fallback(balloon); });
            }
        } else if (round != m_round) {
            closeNotification(*id); // it was meant to be gone already
        } else {
            m_server = watcher->reply().service();
            forget(*id);
            m_shown.push_back(*id);
            if (m_shown.size() > kRememberedNotifications) {
                m_shown.erase(m_shown.begin());
            }
        }
        sendNext();
    });
}

void DesktopNotifications::closeNotification(std::uint32_t id) const {
    QDBusMessage call = serviceCall(QStringLiteral("CloseNotification"));
    call.setAutoStartService(false); // a service that is not running shows nothing to close
    call << id;
    QDBusConnection::sessionBus().send(call);
}

void DesktopNotifications::forget(std::uint32_t id) {
    m_shown.erase(std::remove(m_shown.begin(), m_shown.end(), id), m_shown.end());
}

bool DesktopNotifications::fromServer(const QDBusMessage& signal) const {
    return !m_server.isEmpty() && signal.service() == m_server && !signal.arguments().isEmpty();
}

void DesktopNotifications::onActionInvoked(const QDBusMessage& signal) {
    const QList<QVariant> arguments = signal.arguments();
    if (!fromServer(signal) || arguments.size() < 2) {
        return;
    }
    const std::uint32_t id = arguments[0].toUInt();
    if (arguments[1].toString() == QStringLiteral("default") &&
        std::find(m_shown.begin(), m_shown.end(), id) != m_shown.end() && m_activated) {
        continueOnError(m_activated);
    }
}

void DesktopNotifications::onNotificationClosed(const QDBusMessage& signal) {
    if (fromServer(signal)) {
        forget(signal.arguments()[0].toUInt());
    }
}

} // namespace ui

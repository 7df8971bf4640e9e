#include "platform/qt/freedesktop_notification_center.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>
#include <optional>

#include "platform/run_loop.h"

namespace twl {
namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString notificationsInterface = QStringLiteral("org.freedesktop.Notifications");

// Long enough for a busy desktop, short enough that a server that hangs is
// soon taken as a refusal (the bus's own default is 25 s).
constexpr int permissionTimeoutMs = 3000;

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                          notificationsInterface, method);
}

}  // namespace

struct FreedesktopNotificationCenter::State {
    State(BusConnector connectBus, QString appName)
        : connectBus(std::move(connectBus)), appName(std::move(appName)) {}

    QDBusConnection& bus() {
        if (!connection) {
            connection = connectBus();
        }
        return *connection;
    }

    void send(const NotificationRequest& request) {
        QVariantMap hints;
        hints.insert(QStringLiteral("category"),
                     QString::fromStdString(request.categoryIdentifier));
        hints.insert(QStringLiteral("suppress-sound"), true);

        QDBusMessage notify = notificationsCall(QStringLiteral("Notify"));
        notify << appName << quint32(0) << QString() << QString::fromStdString(request.title)
               << QString::fromStdString(request.body) << QStringList() << hints << qint32(-1);
        bus().send(notify);  // the id it answers with is of no use: nothing is replaced
    }

    BusConnector connectBus;
    std::optional<QDBusConnection> connection;
    QString appName;
    QObject pendingAnswers;  // parent of the permission watchers; drops them unanswered
};

FreedesktopNotificationCenter::FreedesktopNotificationCenter(RunLoop& runLoop,
                                                             BusConnector connectBus,
                                                             QString appName)
    : runLoop_(runLoop),
      state_(std::make_shared<State>(std::move(connectBus), std::move(appName))) {}

FreedesktopNotificationCenter::~FreedesktopNotificationCenter() = default;

bool FreedesktopNotificationCenter::isAvailable() const {
    return state_->bus().isConnected();
}

void FreedesktopNotificationCenter::requestAuthorization(unsigned /*options*/,
                                                         AuthorizationHandler handler) {
    if (!isAvailable()) {
        return;
    }
    const QDBusPendingCall pending = state_->bus().asyncCall(
        notificationsCall(QStringLiteral("GetCapabilities")), permissionTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(pending, &state_->pendingAnswers);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [handler = std::move(handler)](QDBusPendingCallWatcher* answered) {
                         const bool granted = !answered->isError();
                         answered->deleteLater();
                         if (handler) {
                             handler(granted);
                         }
                     });
}

void FreedesktopNotificationCenter::add(NotificationRequest request) {
    if (!isAvailable()) {
        return;
    }
    const double wait =
        std::max(0.0, static_cast<double>(request.triggerEpochSeconds) - runLoop_.now());
    runLoop_.delay(wait, [state = std::weak_ptr<State>(state_), request = std::move(request)] {
        if (const auto alive = state.lock()) {
            alive->send(request);
        }
    });
}

}  // namespace twl

#include "platform/PortalGlobalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// BindShortcuts' a(sa{sv}): each shortcut's id and its description and trigger.
using PortalShortcuts = QList<QPair<QString, QVariantMap>>;

} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(const QDBusConnection& bus, QObject* parent)
    : GlobalShortcuts(parent), bus_(bus)
{
    qDBusRegisterMetaType<PortalShortcuts::value_type>();
    qDBusRegisterMetaType<PortalShortcuts>();
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() { disable(); }

void PortalGlobalShortcuts::enable()
{
    if (step_ == Step::On)
        emit enabled({});
    if (step_ != Step::Off)
        return;
    step_ = Step::Asking;
    // Subscribed on first use, not at construction: start-up need not wait for the bus.
    if (!subscribed_)
        subscribed_ = bus_.connect(portalService, portalPath, shortcutsInterface,
                                   QStringLiteral("Activated"), this, SLOT(onActivated(QDBusMessage)));
    // A portal that offers global shortcuts has the interface's version property.
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, serial = serial_](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (serial != serial_)
                    return;
                if (answer->isError()) {
                    step_ = Step::Off;
                    emit unavailable(tr("The desktop offers no global-shortcuts portal (%1).")
                                         .arg(answer->error().message()));
                    return;
                }
                step_ = Step::Creating;
                request(QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"),
                          QStringLiteral("zorvu_timer%1").arg(serial_)}});
            });
}

void PortalGlobalShortcuts::disable()
{
    ++serial_; // answers to earlier calls no longer count
    listen(request_, false);
    request_.clear();
    if (!session_.isEmpty()) {
        bus_.send(QDBusMessage::createMethodCall(portalService, session_,
                                                 QStringLiteral("org.freedesktop.portal.Session"),
                                                 QStringLiteral("Close")));
        session_.clear();
    }
    step_ = Step::Off;
}

void PortalGlobalShortcuts::request(const QString& method, QVariantList arguments,
                                    QVariantMap options)
{
    const QString token = QStringLiteral("zorvu%1").arg(++serial_);
    options.insert(QStringLiteral("handle_token"), token);
    // The portal names the Request after our unique name and the token; we
    // listen there before calling, as the answer may come before the reply.
    const QString sender = bus_.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    listen(request_, false);
    request_ = portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    listen(request_, true);

    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    arguments << options;
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method, serial = serial_](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (serial != serial_)
                    return;
                const QDBusPendingReply<QDBusObjectPath> reply = *answer;
                if (reply.isError()) {
                    fail(tr("The global-shortcuts portal refused %1: %2")
                             .arg(method, reply.error().message()));
                } else if (reply.value().path() != request_) {
                    // An older portal chooses the Request's path itself.
                    listen(request_, false);
                    request_ = reply.value().path();
                    listen(request_, true);
                }
            });
}

void PortalGlobalShortcuts::listen(const QString& requestPath, bool on)
{
    if (requestPath.isEmpty())
        return;
    const QString interface = QStringLiteral("org.freedesktop.portal.Request");
    const char* slot = SLOT(onResponse(uint, QVariantMap));
    if (on)
        bus_.connect(portalService, requestPath, interface, QStringLiteral("Response"), this, slot);
    else
        bus_.disconnect(portalService, requestPath, interface, QStringLiteral("Response"), this,
                        slot);
}

void PortalGlobalShortcuts::onResponse(uint response, const QVariantMap& results)
{
    listen(request_, false);
    request_.clear();
    if (response != 0) {
        fail(step_ == Step::Creating
                 ? tr("The desktop did not open a global-shortcuts session (answer %1).").arg(response)
                 : tr("The shortcuts were not bound (answer %1).").arg(response));
        return;
    }
    if (step_ == Step::Creating) {
        // Documented as an object path; some portals send it as a string.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                       ? handle.value<QDBusObjectPath>().path()
                       : handle.toString();
        step_ = Step::Binding;
        PortalShortcuts shortcuts;
        for (const ShortcutBinding& binding : shortcutBindings)
            shortcuts << QPair<QString, QVariantMap>{
                QString::fromLatin1(binding.id),
                {{QStringLiteral("description"), QString::fromUtf8(binding.description)},
                 {QStringLiteral("preferred_trigger"),
                  QStringLiteral("CTRL+ALT+") + QString::fromLatin1(binding.key)}}};
        request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts),
                 QString()},
                {});
    } else if (step_ == Step::Binding) {
        step_ = Step::On;
        emit enabled({});
    }
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& signal)
{
    const QVariantList arguments = signal.arguments(); // session, shortcut id, time, options
    if (step_ != Step::On || arguments.size() < 2 ||
        arguments[0].value<QDBusObjectPath>().path() != session_)
        return;
    for (const ShortcutBinding& binding : shortcutBindings)
        if (arguments[1].toString() == QLatin1String(binding.id))
            emit activated(binding.action);
}

void PortalGlobalShortcuts::fail(const QString& why)
{
    disable();
    emit failed(why);
}

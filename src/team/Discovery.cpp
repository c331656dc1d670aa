#include "team/Discovery.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

namespace team {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Avahi");
const QString kServer = QStringLiteral("org.freedesktop.Avahi.Server");
const QString kServer2 = QStringLiteral("org.freedesktop.Avahi.Server2");
const QString kBrowser = QStringLiteral("org.freedesktop.Avahi.ServiceBrowser");
const QString kGroup = QStringLiteral("org.freedesktop.Avahi.EntryGroup");
const QString kType = QStringLiteral("_zorvu-timer._tcp");

// Avahi's numbers (avahi-common/defs.h).
constexpr int kAny = -1;             // interface or protocol
constexpr int kServerRunning = 2;    // its host name is established
constexpr int kGroupCollision = 3;   // another PC has the service's name
constexpr uint kOurOwn = 16;         // a result published by this PC
constexpr int kCallMs = 10000;       // a resolve takes up to Avahi's own 5 s

QString notFound(const QString& why)
{
    return Discovery::tr("Leaders on the network cannot be found: %1. Type the leader's "
                         "address.")
        .arg(why);
}

// The address to show of a leader found more than once: IPv4 first, as most type
// it; this PC's loopback last.
int rank(const QString& host)
{
    const QHostAddress address(host);
    if (address.isLoopback())
        return 3;
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        return 0;
    return address.isLinkLocal() ? 2 : 1;
}

} // namespace

Discovery::Discovery(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(bus),
      watcher_(kService, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    qDBusRegisterMetaType<QList<QByteArray>>();
    if (!bus_.isConnected()) {
        note_ = notFound(tr("there is no system bus"));
        return;
    }
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                owner.isEmpty() ? stop(notFound(tr("Avahi has stopped"))) : start();
            });
    bus_.connect(kService, QStringLiteral("/"), kServer, QStringLiteral("StateChanged"), this,
                 SLOT(serverState(int)));
    if (bus_.interface()->isServiceRegistered(kService))
        start();
    else
        note_ = notFound(tr("Avahi (avahi-daemon) does not run on this PC"));
}

Discovery::~Discovery() = default;

void Discovery::start()
{
    stop({});
    call(QStringLiteral("/"), kServer, QStringLiteral("GetState"), {},
         [this](const QDBusMessage& reply) { serverState(reply.arguments().value(0).toInt()); });
    call(QStringLiteral("/"), kServer, QStringLiteral("EntryGroupNew"), {},
         [this](const QDBusMessage& reply) {
             group_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
             subscribe(true, group_, kGroup, QStringLiteral("StateChanged"),
                       SLOT(groupState(int)));
             announce();
         });
    // Prepared, then started once its signals are ours: nothing found is missed.
    call(QStringLiteral("/"), kServer2, QStringLiteral("ServiceBrowserPrepare"),
         {kAny, kAny, kType, QString(), 0u}, [this](const QDBusMessage& reply) {
             browser_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
             subscribe(true, browser_, kBrowser, QStringLiteral("ItemNew"),
                       SLOT(itemNew(int, int, QString, QString, QString, uint)));
             subscribe(true, browser_, kBrowser, QStringLiteral("ItemRemove"),
                       SLOT(itemRemove(int, int, QString, QString, QString, uint)));
             subscribe(true, browser_, kBrowser, QStringLiteral("Failure"),
                       SLOT(failed(QString)));
             call(browser_, kBrowser, QStringLiteral("Start"), {}, [this](const QDBusMessage&) {
                 browsing_ = true;
                 emit changed();
             });
         });
}

// Avahi has gone, or starts again: what it held went with it.
void Discovery::stop(const QString& why)
{
    ++epoch_;
    if (!browser_.isEmpty()) {
        subscribe(false, browser_, kBrowser, QStringLiteral("ItemNew"),
                  SLOT(itemNew(int, int, QString, QString, QString, uint)));
        subscribe(false, browser_, kBrowser, QStringLiteral("ItemRemove"),
                  SLOT(itemRemove(int, int, QString, QString, QString, uint)));
        subscribe(false, browser_, kBrowser, QStringLiteral("Failure"), SLOT(failed(QString)));
    }
    if (!group_.isEmpty())
        subscribe(false, group_, kGroup, QStringLiteral("StateChanged"), SLOT(groupState(int)));
    browser_.clear();
    group_.clear();
    browsing_ = running_ = false;
    found_.clear();
    note_ = why;
    emit changed();
}

void Discovery::call(const QString& path, const QString& interface, const QString& method,
                     const QVariantList& args, std::function<void(const QDBusMessage&)> done)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, done, epoch = epoch_, method] {
                watcher->deleteLater();
                const QDBusMessage reply = watcher->reply();
                if (epoch != epoch_)
                    return;
                // A service that cannot be resolved is left out, and no more.
                if (reply.type() == QDBusMessage::ErrorMessage)
                    return method == QStringLiteral("ResolveService")
                               ? void()
                               : failed(reply.errorMessage());
                if (done)
                    done(reply);
            });
}

void Discovery::subscribe(bool on, const QString& path, const QString& interface,
                          const QString& name, const char* slot)
{
    on ? bus_.connect(kService, path, interface, name, this, slot)
       : bus_.disconnect(kService, path, interface, name, this, slot);
}

void Discovery::publish(quint16 port)
{
    port_ = port;
    announce();
}

void Discovery::unpublish()
{
    port_ = 0;
    if (!group_.isEmpty())
        call(group_, kGroup, QStringLiteral("Reset"), {}, {});
}

// Calls on one connection are taken in order: no need to wait for each answer.
void Discovery::announce()
{
    if (!running_ || group_.isEmpty() || !port_)
        return;
    if (name_.isEmpty())
        name_ = QHostInfo::localHostName().left(63); // a DNS label's most
    call(group_, kGroup, QStringLiteral("Reset"), {}, {});
    call(group_, kGroup, QStringLiteral("AddService"),
         {kAny, kAny, 0u, name_, kType, QString(), QString(), QVariant::fromValue(port_),
          QVariant::fromValue(QList<QByteArray>{"v=1"})},
         {});
    call(group_, kGroup, QStringLiteral("Commit"), {}, {});
}

void Discovery::serverState(int state)
{
    running_ = state == kServerRunning;
    // Avahi takes its host name again (a clash, a new network): ours goes until then.
    if (running_)
        announce();
    else if (!group_.isEmpty())
        call(group_, kGroup, QStringLiteral("Reset"), {}, {});
}

void Discovery::groupState(int state)
{
    if (state != kGroupCollision)
        return;
    // Another PC of the same name leads: this one takes "NAME #2".
    call(QStringLiteral("/"), kServer, QStringLiteral("GetAlternativeServiceName"), {name_},
         [this](const QDBusMessage& reply) {
             name_ = reply.arguments().value(0).toString();
             announce();
         });
}

void Discovery::itemNew(int interface, int protocol, const QString& name, const QString& type,
                        const QString& domain, uint flags)
{
    if ((flags & kOurOwn) && name == name_)
        return;
    const Key key{interface, protocol, name};
    found_[key] = {name, QString(), 0};
    call(QStringLiteral("/"), kServer, QStringLiteral("ResolveService"),
         {interface, protocol, name, type, domain, protocol, 0u},
         [this, key](const QDBusMessage& reply) {
             const auto found = found_.find(key);
             const QVariantList args = reply.arguments();
             if (found == found_.end() || args.size() < 9)
                 return;
             QString host = args[7].toString();
             const QHostAddress address(host);
             if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isLinkLocal())
                 host += '%' + QNetworkInterface::interfaceNameFromIndex(std::get<0>(key));
             found->second.host = host;
             found->second.port = quint16(args[8].toUInt());
             emit changed();
         });
}

void Discovery::itemRemove(int interface, int protocol, const QString& name, const QString&,
                           const QString&, uint)
{
    if (found_.erase({interface, protocol, name}))
        emit changed();
}

void Discovery::failed(const QString& error)
{
    note_ = notFound(tr("Avahi says \"%1\"").arg(error));
    emit changed();
}

QList<FoundLeader> Discovery::leaders() const
{
    std::map<QString, FoundLeader> best;
    for (const auto& [key, leader] : found_) {
        if (leader.host.isEmpty())
            continue;
        const auto [it, added] = best.emplace(leader.name, leader);
        if (!added && rank(leader.host) < rank(it->second.host))
            it->second = leader;
    }
    QList<FoundLeader> list;
    for (const auto& [name, leader] : best)
        list << leader;
    return list;
}

} // namespace team

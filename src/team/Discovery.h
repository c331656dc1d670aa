#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <tuple>

// A leader found on the network: its PC name, and where to reach it.
struct FoundLeader {
    QString name;
    QString host;
    quint16 port;
};

class QDBusMessage;

namespace team {

// Leaders on the local network, announced and found with DNS-SD (the service
// _zorvu-timer._tcp, named after the PC) through the Avahi daemon's interface on
// the system bus. Where Avahi does not run, nothing is found and note() says so;
// a typed address works all the same. Avahi may come and go while we run.
class Discovery : public QObject {
    Q_OBJECT
public:
    explicit Discovery(QDBusConnection bus = QDBusConnection::systemBus(),
                       QObject* parent = nullptr);
    ~Discovery() override;

    // This PC leads on the port: it is announced until unpublish().
    void publish(quint16 port);
    void unpublish();

    // The leaders found, by name, each once; not this PC's own.
    QList<FoundLeader> leaders() const;
    bool available() const { return browsing_; }
    // Why no leader can be found; empty while Avahi answers.
    QString note() const { return note_; }

signals:
    void changed();

private slots:
    // Avahi's signals, connected by name as QtDBus does.
    void itemNew(int interface, int protocol, const QString& name, const QString& type,
                 const QString& domain, uint flags);
    void itemRemove(int interface, int protocol, const QString& name, const QString& type,
                    const QString& domain, uint flags);
    void failed(const QString& error);
    void serverState(int state);
    void groupState(int state);

private:
    void start();
    void stop(const QString& why);
    void call(const QString& path, const QString& interface, const QString& method,
              const QVariantList& args, std::function<void(const QDBusMessage&)> done);
    void announce();
    void addService();
    void subscribe(bool on, const QString& path, const QString& interface, const QString& name,
                   const char* slot);

    using Key = std::tuple<int, int, QString>; // interface, protocol, name
    QDBusConnection bus_;
    QDBusServiceWatcher watcher_;
    int epoch_ = 0; // each start of Avahi's; answers from an older one are dropped
    bool browsing_ = false, running_ = false;
    QString note_;
    QString browser_, group_; // Avahi's objects
    std::map<Key, FoundLeader> found_;
    quint16 port_ = 0;        // announced when not 0
    QString name_;            // ours, as Avahi took it
};

} // namespace team

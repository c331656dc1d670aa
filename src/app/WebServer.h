#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QWebSocketServer>

#include <optional>

class QTcpSocket;
class QWebSocket;
class RunningMatch;
struct Outcome;

// The match as a web page, for a phone on the table or a stream overlay, kept live
// over a WebSocket. A small responder of its own answers the page's few files and
// hands WebSocket upgrades on: nothing else, no request bodies, a bounded head.
// A page watches; one opened with the control key may also drive the clock.
class WebServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kProtocol = 1; // the messages' version

    explicit WebServer(RunningMatch& running, QObject* parent = nullptr);
    ~WebServer() override;

    // Serves on the port, to this PC only or to the local network too; what went
    // wrong when it cannot. Serving already, it moves.
    std::optional<QString> start(quint16 port, bool lan);
    void stop();

    bool isOn() const { return tcp_.isListening(); }
    quint16 port() const { return tcp_.serverPort(); }
    // The last port and audience served, or else the saved ones.
    quint16 chosenPort() const;
    bool lan() const;
    int clients() const { return int(pages_.size()); }
    // The key a page needs to drive the clock; a new one drops every page that had the old.
    QString controlKey() const;
    void setControlKey(const QString& key);
    static QString makeKey();

    // The pages' addresses: this PC's, or its local-network ones (not link-local,
    // container or VPN interfaces).
    QStringList addresses() const;
    // {"on":false}, or {"on":true,"port":P,"lan":B,"clients":N}
    QJsonObject status() const;
    static QJsonObject offStatus() { return {{QStringLiteral("on"), false}}; }

signals:
    void changed(); // on, off, or a page came or went

private:
    struct Page {
        QWebSocket* socket;
        bool control;
        qint64 windowStartMs = 0; // the messages of this second, for the rate bound
        int inWindow = 0;
    };
    void arrived();
    void readHead(QTcpSocket* socket);
    bool hostIsOurs(const QByteArray& host) const;
    void opened();
    void received(Page& page, const QString& text);
    void show(const Outcome& outcome);
    QString state() const;
    qint64 nowMs() const;

    RunningMatch& running_;
    QTcpServer tcp_;
    QWebSocketServer sockets_;
    quint16 port_ = 0; // none chosen yet
    bool lan_ = false;
    QString key_;
    std::vector<Page> pages_;
};

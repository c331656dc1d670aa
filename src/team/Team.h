#pragma once

#include "platform/DeadlineTimer.h"
#include "team/Discovery.h"
#include "team/Limits.h"
#include "team/Link.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class RunningMatch;

// Team mode: this PC leads the match for followers on the local network, follows
// a leader, or neither. Over WebSockets (the links' frames); the leader's state
// goes out after each tick and command, and a follower's commands go to the leader.
class Team : public QObject {
    Q_OBJECT
public:
    enum class Role { None, Leader, Follower };
    static constexpr int kRetryMs = 3000; // a lost leader is tried again this often
    // A leader silent this long is lost: it sends a state each second while the
    // clock runs, and answers the pings that come every few seconds.
    static constexpr int kSilentMs = 2 * team::FollowerLink::kBurstEveryMs + 1000;

    Team(RunningMatch& running, TickClocks& clocks, QObject* parent = nullptr);
    ~Team() override;

    // Leads on the port (0: the saved one); what went wrong, when it cannot.
    // A follower stops following first.
    std::optional<QString> lead(quint16 port);
    // Follows the leader at the address with its join code; what went wrong, when
    // it cannot (the address is this PC's own team). A leader stops leading first,
    // and its followers are told.
    std::optional<QString> follow(const QString& host, quint16 port, const QString& code);
    void leave();

    Role role() const { return role_; }
    quint16 port() const { return tcp_.serverPort(); }
    int followers() const;
    // Following: the leader's PC name once it has said it, and whether the leader
    // was lost (the link broke after joining) and is being tried again.
    QString leaderName() const { return link_ ? link_->leaderName() : QString(); }
    bool lost() const { return lost_; }
    // The leader's "Followers may drive the clock", kept in times.ini by the caller.
    void setFollowersMayDrive(bool may);
    // The leader's join code, kept in times.ini until a new one is made; the old
    // one stops working, and the followers that joined with it are dropped.
    QString code() const;
    void newCode();
    static QString makeCode();

    // {"role":"none"}, {"role":"leader","port":P,"code":"C","followers":N}, or
    // {"role":"follower","leader":"HOST:PORT","connected":B,"offset_ms":X,"rtt_ms":Y,
    // "in_step":B}
    QJsonObject status() const;
    // HOST, HOST:PORT or [IPv6]:PORT; a bare IPv6 address takes the default port.
    static std::optional<std::pair<QString, quint16>> address(const QString& text);

    // The leaders found on the network (a leader is announced there while it leads);
    // its changed() is when to show them again. Looked for from the first pass of
    // the event loop: the system bus is not waited for before the window shows.
    team::Discovery& discovery();

signals:
    void changed();
    // A refusal or a failure to tell the user: a wrong code, a command refused.
    void notice(const QString& message);

private:
    struct Follower {
        QWebSocket* socket;
        std::unique_ptr<team::LeaderLink> link;
    };
    void arrived();
    void opened();
    void broadcast();
    void connectToLeader();
    void stopLeading(const QString& why);
    void stopFollowing();
    void leaderGone();
    void dropLink();

    RunningMatch& running_;
    TickClocks& clocks_;
    Role role_ = Role::None;
    // Leading
    QTcpServer tcp_;
    QWebSocketServer sockets_;
    std::vector<Follower> followers_;
    team::JoinLimit tries_;
    QString code_;
    // Following
    QString host_, followCode_;
    quint16 leaderPort_ = 0;
    QPointer<QWebSocket> leader_;
    std::unique_ptr<team::FollowerLink> link_;
    QTimer retry_;
    std::unique_ptr<team::Discovery> discovery_;
    QTimer silence_;
    bool lost_ = false;
};

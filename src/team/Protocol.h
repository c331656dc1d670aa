#pragma once

#include "timer/Match.h"
#include "timer/RunningMatch.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>

// The messages between a team's leader and its followers: JSON, one to a WebSocket
// text frame. Before joining: the leader's hello with a fresh nonce, the follower's
// join with its own and its proof of the join code, or the leader's refusal.
// After: every frame is signed, an HMAC-SHA256 in hex and the JSON, with a key of
// each direction made from the code and both nonces, and numbered, so that a
// frame cannot be made, replayed or sent back by anyone who lacks the code.
namespace team::protocol {

inline constexpr int kVersion = 1;
inline constexpr quint16 kDefaultPort = 8422;
inline constexpr qint64 kMessageLimit = 4096;

QByteArray nonce();

struct Keys {
    QByteArray proof;      // the join's answer to the challenge
    QByteArray toFollower; // what the leader signs with
    QByteArray toLeader;   // what a follower signs with
};
Keys keys(const QString& code, const QByteArray& leaderNonce, const QByteArray& followerNonce);

QByteArray plain(const QJsonObject& message);
std::optional<QJsonObject> readPlain(const QByteArray& frame);
QByteArray sign(const QByteArray& key, const QJsonObject& message);
// The message, when the frame was signed with the key.
std::optional<QJsonObject> readSigned(const QByteArray& key, const QByteArray& frame);

QJsonObject toJson(const Match::Shared& state);
std::optional<Match::Shared> sharedFrom(const QJsonValue& json);
QJsonObject toJson(const RunningMatch::Request& request);
std::optional<RunningMatch::Request> requestFrom(const QJsonObject& json);

// A time on the wire: nanoseconds as a whole number.
qint64 nsFrom(const QJsonValue& json);

} // namespace team::protocol

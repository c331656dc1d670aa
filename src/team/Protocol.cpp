#include "team/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <algorithm>
#include <array>

namespace team::protocol {
namespace {

constexpr int kSignatureSize = 64; // hex of SHA-256

const std::array<const char*, 10> kKinds = {"start", "stop", "reset", "stop-and-reset", "toggle",
                                            "map", "special", "delayed-start", "sync", "nudge"};

QByteArray mac(const QByteArray& key, const QByteArray& message)
{
    return QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256);
}

template <size_t N>
QJsonArray array(const std::array<qint16, N>& values)
{
    QJsonArray json;
    for (qint16 v : values)
        json.append(v);
    return json;
}

// A whole number in [low, high] or none.
std::optional<qint16> whole(const QJsonValue& json, int low, int high)
{
    if (!json.isDouble())
        return std::nullopt;
    const double v = json.toDouble();
    if (v != double(qint64(v)) || v < low || v > high)
        return std::nullopt;
    return qint16(v);
}

template <size_t N>
bool read(const QJsonValue& json, std::array<qint16, N>& into, int low, int high)
{
    const QJsonArray a = json.toArray();
    if (a.size() != qsizetype(N))
        return false;
    for (size_t i = 0; i < N; ++i) {
        const auto v = whole(a[qsizetype(i)], low, high);
        if (!v)
            return false;
        into[i] = *v;
    }
    return true;
}

} // namespace

QByteArray nonce()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toBase64();
}

Keys keys(const QString& code, const QByteArray& leaderNonce, const QByteArray& followerNonce)
{
    const QByteArray secret = code.toUtf8();
    const QByteArray nonces = leaderNonce + '/' + followerNonce;
    return {mac(secret, "join/" + nonces), mac(secret, "to-follower/" + nonces),
            mac(secret, "to-leader/" + nonces)};
}

QByteArray plain(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

std::optional<QJsonObject> readPlain(const QByteArray& frame)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(frame, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

QByteArray sign(const QByteArray& key, const QJsonObject& message)
{
    const QByteArray body = plain(message);
    return mac(key, body).toHex() + body;
}

std::optional<QJsonObject> readSigned(const QByteArray& key, const QByteArray& frame)
{
    const QByteArray body = frame.mid(kSignatureSize);
    // Compared whole, not byte by byte up to the first difference.
    const QByteArray given = QByteArray::fromHex(frame.left(kSignatureSize));
    const QByteArray wanted = mac(key, body);
    unsigned differ = given.size() ^ wanted.size();
    for (qsizetype i = 0; i < std::min(given.size(), wanted.size()); ++i)
        differ |= unsigned(given[i] ^ wanted[i]);
    if (frame.size() < kSignatureSize || differ)
        return std::nullopt;
    return readPlain(body);
}

qint64 nsFrom(const QJsonValue& json)
{
    return json.toInteger();
}

QJsonObject toJson(const Match::Shared& s)
{
    const auto& e = s.enabled;
    return {{"clock", QJsonArray{s.hours, s.minutes, s.seconds}},
            {"map", s.map},
            {"times", array(s.times)},
            {"base", array(s.baseTimes)},
            {"special", QJsonArray{s.special.iKothPeriod, s.special.iKothCount,
                                   s.special.iOddballPeriod, s.special.iOddballCount,
                                   s.special.bOddballPlayed}},
            {"choice", s.specialChoice},
            {"running", s.running},
            {"hotkey", s.hotkeyStarted},
            {"enabled", QJsonArray{e.start, e.stop, e.reset, e.delayedStart}},
            {"delay", s.delayCaption ? QJsonValue(*s.delayCaption) : QJsonValue()}};
}

std::optional<Match::Shared> sharedFrom(const QJsonValue& value)
{
    const QJsonObject json = value.toObject();
    Match::Shared s;
    std::array<qint16, 3> clock{};
    std::array<qint16, 4> counts{};
    const QJsonArray special = json["special"].toArray();
    const QJsonArray enabled = json["enabled"].toArray();
    const auto map = whole(json["map"], 0, respawn::kMaps - 1);
    const auto choice = whole(json["choice"], GameModeTimers::None, GameModeTimers::Neither);
    const auto delay = whole(json["delay"], 0, 32767);
    if (!read(json["clock"], clock, 0, 32767) || clock[1] > 59 || clock[2] > 59 || !map ||
        !read(json["times"], s.times, -32768, 32767) ||
        !read(json["base"], s.baseTimes, -32768, 32767) || special.size() != 5 ||
        !read(QJsonArray{special[0], special[1], special[2], special[3]}, counts, -32768, 32767) ||
        !special[4].isBool() || !choice || !json["running"].isBool() || !json["hotkey"].isBool() ||
        enabled.size() != 4 ||
        !std::all_of(enabled.begin(), enabled.end(),
                     [](const QJsonValue& v) { return v.isBool(); }) ||
        (!delay && !json["delay"].isNull()))
        return std::nullopt;
    s.hours = clock[0];
    s.minutes = clock[1];
    s.seconds = clock[2];
    s.map = *map;
    s.special = {counts[0], counts[1], counts[2], counts[3], special[4].toBool()};
    s.specialChoice = GameModeTimers::Choice(*choice);
    s.running = json["running"].toBool();
    s.hotkeyStarted = json["hotkey"].toBool();
    s.enabled = {enabled[0].toBool(), enabled[1].toBool(), enabled[2].toBool(),
                 enabled[3].toBool()};
    s.delayCaption = delay;
    return s;
}

QJsonObject toJson(const RunningMatch::Request& r)
{
    QJsonObject json{{"type", "command"}, {"kind", kKinds[size_t(r.kind)]}, {"value", r.value}};
    if (r.atNs)
        json.insert("at", *r.atNs);
    return json;
}

std::optional<RunningMatch::Request> requestFrom(const QJsonObject& json)
{
    const QString name = json["kind"].toString();
    const auto kind = std::ranges::find_if(kKinds, [&](const char* k) { return name == k; });
    const auto value = whole(json["value"], -32768, 32767);
    if (kind == kKinds.end() || !value)
        return std::nullopt;
    RunningMatch::Request r(RunningMatch::Request::Kind(kind - kKinds.begin()), *value);
    if (json.contains("at"))
        r.atNs = nsFrom(json["at"]);
    return r;
}

} // namespace team::protocol

#include "team/Limits.h"

#include <iterator>

namespace team {

void Bucket::fill(qint64 nowNs)
{
    if (left_ >= size_) {
        at_ = nowNs;
        return;
    }
    const qint64 gained = std::max<qint64>(nowNs - at_, 0) / everyNs_;
    left_ = int(std::min<qint64>(size_, left_ + gained));
    at_ = left_ == size_ ? nowNs : at_ + gained * everyNs_;
}

bool Bucket::take(qint64 nowNs)
{
    fill(nowNs);
    if (left_ == 0)
        return false;
    --left_;
    return true;
}

bool Bucket::full(qint64 nowNs)
{
    fill(nowNs);
    return left_ == size_;
}

bool JoinLimit::admit(const QHostAddress& peer, qint64 nowNs)
{
    if (!all_.take(nowNs))
        return false;
    const QString k = key(peer);
    auto it = peers_.find(k);
    if (it == peers_.end()) {
        // Only addresses with tries taken lately are kept: a bucket full again
        // is as good as none. The cap on all tries bounds how many are left.
        for (auto p = peers_.begin(); p != peers_.end();)
            p = p->second.full(nowNs) ? peers_.erase(p) : std::next(p);
        it = peers_.emplace(k, Bucket(kPerPeer, kPerPeerEveryNs)).first;
    }
    if (it->second.take(nowNs))
        return true;
    all_.giveBack();
    return false;
}

void JoinLimit::joined(const QHostAddress& peer)
{
    all_.giveBack();
    const auto it = peers_.find(key(peer));
    if (it != peers_.end())
        it->second.giveBack();
}

QString JoinLimit::key(const QHostAddress& peer)
{
    bool v4 = false;
    const quint32 ip4 = peer.toIPv4Address(&v4);
    if (v4)
        return QHostAddress(ip4).toString();
    Q_IPV6ADDR ip6 = peer.toIPv6Address();
    std::fill(std::begin(ip6.c) + 8, std::end(ip6.c), quint8(0));
    return QHostAddress(ip6).toString() + QStringLiteral("/64");
}

} // namespace team

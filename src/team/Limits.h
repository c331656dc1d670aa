#pragma once

#include <QHostAddress>
#include <QString>

#include <algorithm>
#include <map>

// What a leader takes from the network, bounded: strangers share it.
namespace team {

// Takes come from a bucket that holds `size` and gains one every `everyNs`: a
// burst up to its size, then no more than that rate.
class Bucket {
public:
    Bucket(int size, qint64 everyNs) : size_(size), everyNs_(everyNs), left_(size) {}
    bool take(qint64 nowNs);
    void giveBack() { left_ = std::min(left_ + 1, size_); }
    bool full(qint64 nowNs);

private:
    void fill(qint64 nowNs);

    int size_;
    qint64 everyNs_;
    int left_;
    qint64 at_ = 0; // the moment left_ was counted at
};

// The tries to join, each connection one: so many from each address and so many
// from all together, which keeps a guess at the join code to a few thousand an
// hour whatever the number of addresses. An IPv6 network hands each PC a /64 to
// take addresses from at will, so its addresses count by /64. A try that joins
// is given back: followers that come back after a lost link are not held up.
class JoinLimit {
public:
    static constexpr int kPerPeer = 10;
    static constexpr qint64 kPerPeerEveryNs = 6'000'000'000; // ten a minute
    static constexpr int kAll = 60;
    static constexpr qint64 kAllEveryNs = 1'000'000'000;

    bool admit(const QHostAddress& peer, qint64 nowNs);
    void joined(const QHostAddress& peer);
    // The address as counted: an IPv4 one as such, also when it came as
    // ::ffff:a.b.c.d on a socket that takes both, an IPv6 one by its /64.
    static QString key(const QHostAddress& peer);

private:
    Bucket all_{kAll, kAllEveryNs};
    std::map<QString, Bucket> peers_;
};

} // namespace team

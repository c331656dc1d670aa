#include "team/LocalNetwork.h"

#include <QHostInfo>
#include <QNetworkInterface>

#include <algorithm>

namespace {

// Interfaces a device on the table does not reach the PC through.
bool isPrivateLink(const QString& name)
{
    static const char* const prefixes[] = {"docker", "br-", "veth", "virbr", "lxc", "lxd",
                                           "vboxnet", "vmnet", "tun", "tap", "wg", "tailscale",
                                           "zt", "ppp", "podman", "cni", "flannel"};
    return std::ranges::any_of(prefixes, [&](const char* p) { return name.startsWith(p); });
}

} // namespace

QList<QHostAddress> localNetworkAddresses()
{
    QList<QHostAddress> found;
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        const auto flags = face.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack) || isPrivateLink(face.name()))
            continue;
        for (const QNetworkAddressEntry& entry : face.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLinkLocal())
                found << ip;
        }
    }
    return found;
}

bool isThisPc(const QString& host)
{
    const QString name = host.toLower();
    const QString machine = QHostInfo::localHostName().toLower();
    if (name == QLatin1String("localhost") || name == machine ||
        name == machine + QLatin1String(".local"))
        return true;
    const QHostAddress address(host);
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

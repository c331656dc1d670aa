#pragma once

#include <QHostAddress>
#include <QList>

// This PC's IPv4 addresses that a phone or another PC at the table reaches it at:
// of interfaces that are up and running, and not loopback, link-local, container
// or VPN ones.
QList<QHostAddress> localNetworkAddresses();

// Whether a name or address is this PC's: localhost, its own name (.local too), a
// loopback address or one of its interfaces'.
bool isThisPc(const QString& host);

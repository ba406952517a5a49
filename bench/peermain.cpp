// SPDX-License-Identifier: GPL-3.0-or-later

#include "posixpeers.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// The bench's peer processes: they run apart from the keypad so that the two can be pinned
// to one CPU together, or left to the scheduler.
int main(int argc, char *argv[])
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "ok-server" && argc == 2)
        return PosixPeers::runOkServer();
    if (command == "discovery-server" && argc == 4)
        return PosixPeers::runDiscoveryServer(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "discovery-floor" && argc == 3)
        return PosixPeers::runDiscoveryFloor(std::uint16_t(std::atoi(argv[2])));
    std::fprintf(stderr,
        "usage: zp-bench-peer ok-server\n"
        "       zp-bench-peer discovery-server COUNT SETTLE_MS\n"
        "       zp-bench-peer discovery-floor REQUEST_PORT\n");
    return 2;
}

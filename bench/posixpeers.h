// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Everything of the bench that talks to the operating system directly: the floors, which
// must carry none of the toolkit's costs, the servers both sides are measured against, and
// the launcher that times a process start. Times are CLOCK_MONOTONIC nanoseconds, which
// compare across processes.
namespace PosixPeers {

std::int64_t nowNs();

// A connected blocking TCP socket, or -1.
int connectTcp(const char *ipv4, std::uint16_t port);

// One command: the whole line in one write, then reads up to the end of the reply line.
// False when the connection fails or the reply is not "ok".
bool roundTrip(int fd, const std::string &line);

void closeSocket(int fd);

// A socket listening on a free loopback port, or -1; the port is stored in *port.
int listenTcp(std::uint16_t *port);
// The next connection to a listening socket, or -1 when none comes within timeoutMs.
int acceptTcp(int listener, int timeoutMs);
// Reads one line (up to its '\n') into *line, waiting at most timeoutMs; false on a close,
// an error or the time running out.
bool readLine(int fd, int timeoutMs, std::string *line);
bool writeText(int fd, const std::string &text);

// Listens on a free loopback port, prints "ready <port>" and answers every line of every
// connection "ok", each connection on a thread of its own. Returns only on an error.
int runOkServer();

// Listens for TCP and UDP on free loopback ports, prints "ready <udp port>", waits for a
// discovery request and then, count times: sends the reply naming the TCP port, takes the
// connection it brings, closes it and lets the client settle. Prints "samples" and the time
// from each reply leaving to the connection accepted.
int runDiscoveryServer(int count, int settleMs);

// The least a discovery client can do: asks once, then for every reply connects to the
// address it names and waits for the server to close.
int runDiscoveryFloor(std::uint16_t requestPort);

struct Launch
{
    bool ok = false;
    std::int64_t startNs = 0; // just before the process was created
    int exitStatus = -1;
    long maxRssKb = 0; // the process's peak resident memory
    std::string output; // its standard output
};

// Starts the program with the environment given, waits for it to end (killing it after
// timeoutMs), and reports what it printed and its peak memory.
Launch launch(const std::vector<std::string> &arguments,
    const std::vector<std::string> &environment, int timeoutMs);

} // namespace PosixPeers

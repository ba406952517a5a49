// SPDX-License-Identifier: GPL-3.0-or-later

#include "posixpeers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace PosixPeers {

namespace {

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::uint16_t localPort(int fd)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

int boundSocket(int type)
{
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        std::perror("bind");
        std::exit(1);
    }
    return fd;
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

// A peer started by the bench ends with it: the bench holds the other end of its input.
void endWithParent()
{
    std::thread([] {
        char byte;
        while (read(STDIN_FILENO, &byte, 1) > 0) { }
        _exit(0);
    }).detach();
}

void announce(std::uint16_t port)
{
    std::printf("ready %u\n", unsigned(port));
    std::fflush(stdout);
}

void serveOk(int fd)
{
    static const char reply[] = "ok\r\n";
    char input[4096];
    char output[sizeof input * (sizeof reply - 1)];
    for (;;) {
        const ssize_t received = read(fd, input, sizeof input);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        size_t size = 0;
        for (ssize_t i = 0; i < received; ++i) {
            if (input[i] == '\n') {
                std::memcpy(output + size, reply, sizeof reply - 1);
                size += sizeof reply - 1;
            }
        }
        if (size > 0 && !writeAll(fd, output, size))
            break;
    }
    close(fd);
}

void waitForClose(int fd)
{
    char byte;
    for (;;) {
        const ssize_t received = read(fd, &byte, 1);
        if (received == 0 || (received < 0 && errno != EINTR))
            return;
    }
}

} // namespace

std::int64_t nowNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int connectTcp(const char *ipv4, std::uint16_t port)
{
    sockaddr_in address = loopback(port);
    if (inet_pton(AF_INET, ipv4, &address.sin_addr) != 1)
        return -1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool roundTrip(int fd, const std::string &line)
{
    if (!writeAll(fd, line.data(), line.size()))
        return false;
    char reply[64];
    size_t size = 0;
    while (size == 0 || reply[size - 1] != '\n') {
        const ssize_t received = read(fd, reply + size, sizeof reply - size);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0 || size + size_t(received) >= sizeof reply)
            return false;
        size += size_t(received);
    }
    return size == 4 && std::memcmp(reply, "ok\r\n", 4) == 0;
}

void closeSocket(int fd)
{
    close(fd);
}

int listenTcp(std::uint16_t *port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || listen(fd, 4) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    *port = localPort(fd);
    return fd;
}

int acceptTcp(int listener, int timeoutMs)
{
    pollfd incoming {listener, POLLIN, 0};
    if (poll(&incoming, 1, timeoutMs) <= 0)
        return -1;
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool readLine(int fd, int timeoutMs, std::string *line)
{
    line->clear();
    const std::int64_t end = nowNs() + std::int64_t(timeoutMs) * 1000000;
    while (line->empty() || line->back() != '\n') {
        pollfd readable {fd, POLLIN, 0};
        const int left = int((end - nowNs()) / 1000000);
        if (left < 0 || poll(&readable, 1, left) <= 0)
            return false;
        char chunk[256];
        const ssize_t received = read(fd, chunk, sizeof chunk);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            return false;
        line->append(chunk, size_t(received));
    }
    return true;
}

bool writeText(int fd, const std::string &text)
{
    return writeAll(fd, text.data(), text.size());
}

int runOkServer()
{
    endWithParent();
    const int listener = boundSocket(SOCK_STREAM);
    if (listen(listener, 16) != 0)
        return 1;
    announce(localPort(listener));
    for (;;) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0 && errno == EINTR)
            continue;
        if (client < 0)
            return 1;
        std::thread(serveOk, client).detach();
    }
}

int runDiscoveryServer(int count, int settleMs)
{
    endWithParent();
    const int udp = boundSocket(SOCK_DGRAM);
    const int tcp = boundSocket(SOCK_STREAM);
    if (listen(tcp, 4) != 0)
        return 1;
    announce(localPort(udp));

    char buffer[64];
    sockaddr_in requester {};
    socklen_t length = sizeof requester;
    pollfd request {udp, POLLIN, 0};
    if (poll(&request, 1, 15000) <= 0
        || recvfrom(
               udp, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&requester), &length)
            < 0) {
        std::fprintf(stderr, "discovery server: no request came\n");
        return 1;
    }

    const std::string reply = "127.0.0.1m" + std::to_string(localPort(tcp));
    std::vector<std::int64_t> samples;
    samples.reserve(size_t(count));
    const timespec settle {settleMs / 1000, long(settleMs % 1000) * 1000000};
    for (int i = 0; i < count; ++i) {
        while (recv(udp, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
        const std::int64_t sent = nowNs();
        sendto(udp, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr *>(&requester),
            length);
        pollfd pending {tcp, POLLIN, 0};
        if (poll(&pending, 1, 5000) <= 0) {
            std::fprintf(stderr, "discovery server: no connection after reply %d\n", i + 1);
            return 1;
        }
        const int client = accept(tcp, nullptr, nullptr);
        const std::int64_t accepted = nowNs();
        if (client < 0)
            return 1;
        samples.push_back(accepted - sent);
        close(client);
        nanosleep(&settle, nullptr);
    }
    std::printf("samples");
    for (const std::int64_t sample : samples)
        std::printf(" %lld", static_cast<long long>(sample));
    std::printf("\n");
    std::fflush(stdout);
    return 0;
}

int runDiscoveryFloor(std::uint16_t requestPort)
{
    endWithParent();
    const int udp = boundSocket(SOCK_DGRAM);
    const sockaddr_in server = loopback(requestPort);
    sendto(udp, "zp", 2, 0, reinterpret_cast<const sockaddr *>(&server), sizeof server);
    for (;;) {
        char reply[64];
        const ssize_t received = recv(udp, reply, sizeof reply - 1, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0)
            return 1;
        reply[received] = '\0';
        char *separator = std::strchr(reply, 'm');
        if (!separator)
            continue;
        *separator = '\0';
        const int fd = connectTcp(reply, std::uint16_t(std::atoi(separator + 1)));
        if (fd < 0)
            continue;
        waitForClose(fd);
        close(fd);
    }
}

Launch launch(const std::vector<std::string> &arguments,
    const std::vector<std::string> &environment, int timeoutMs)
{
    Launch result;
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const std::string &variable : environment)
        envp.push_back(const_cast<char *>(variable.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    result.startNs = nowNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned != 0) {
        close(output[0]);
        return result;
    }

    const std::int64_t deadline = result.startNs + std::int64_t(timeoutMs) * 1000000;
    char buffer[4096];
    for (;;) {
        const int remainingMs = int((deadline - nowNs()) / 1000000);
        pollfd readable {output[0], POLLIN, 0};
        const int ready = remainingMs > 0 ? poll(&readable, 1, remainingMs) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t received = read(output[0], buffer, sizeof buffer);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        result.output.append(buffer, size_t(received));
    }
    close(output[0]);

    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.maxRssKb = usage.ru_maxrss;
    result.ok = result.exitStatus == 0;
    return result;
}

} // namespace PosixPeers

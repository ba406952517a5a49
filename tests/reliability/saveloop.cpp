// SPDX-License-Identifier: GPL-3.0-or-later

#include "killself.h"
#include "settingsfile.h"

#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

// Saves two addresses into one settings file by turns, the second one first, writing one byte
// to standard output after each save, until it kills itself after the given number of
// microseconds: a moment that falls anywhere in a save, unlike a kill from outside, which
// comes a fixed time after something the loop did.
int main(int argc, char *argv[])
{
    if (argc != 7) {
        std::fprintf(
            stderr, "usage: zp-saveloop PATH KILL_AFTER_US PORT HOST NEXT_PORT NEXT_HOST\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const auto killAfter = std::chrono::microseconds(std::strtol(argv[2], nullptr, 10));
    const QString ports[] = {QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[5])};
    const QString hosts[] = {QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[6])};

    std::thread([killAfter] {
        std::this_thread::sleep_for(killAfter);
        killSelf();
    }).detach();

    for (unsigned n = 1;; ++n) {
        if (SettingsFile::save(path, ports[n % 2], hosts[n % 2]) != SettingsFile::SaveResult::Saved)
            return 1;
        if (std::fputc('.', stdout) == EOF || std::fflush(stdout) != 0)
            return 1;
    }
}

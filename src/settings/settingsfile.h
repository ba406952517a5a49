// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Where the keypad keeps the ZP server's address between runs: "ZP.INI" in the user's
// documents folder, section "Form", keys "port" and "ipserver".
namespace SettingsFile {

inline const char DefaultHost[] = "127.0.0.1";

// The documents folder, asked of the system at each use, then the file name.
QString defaultPath();

struct Address
{
    QString port; // the stored number in decimal, or the default
    QString host;
};

// Reads the file once; a missing file, section or key, or a port that is not a number,
// gives the default for that entry: DefaultHost, or defaultPort (the link's own default).
// Removes the copies that saves cut short have left beside the file (see FileReplace).
Address load(const QString &path, int defaultPort);

enum class SaveResult { Saved, PortNotANumber, WriteRefused };

// Sets the port, then the host, and writes the file once, so that it holds either the old
// address or the new one. A port text that is not a number, or a refused write, writes nothing.
// Every save removes the copies that earlier saves cut short have left beside the file.
SaveResult save(const QString &path, const QString &portText, const QString &host);

} // namespace SettingsFile

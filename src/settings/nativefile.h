// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QFile;

// The two file operations that Qt offers only inside QSaveFile, whose copies cannot be told
// from other files by name: one file per system (nativefile_posix.cpp, nativefile_win.cpp).
namespace NativeFile {

// Hands what was written to an open file over to the disk; false when the system refuses.
bool syncToDisk(QFile &file);

// Renames from over to in one step, replacing to if it exists.
bool renameOver(const QString &from, const QString &to);

} // namespace NativeFile

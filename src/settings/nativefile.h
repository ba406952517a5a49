// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QFile;

// The file operations that Qt offers only inside QSaveFile, whose copies cannot be told from
// other files by name, or not at all: one file per system (nativefile_posix.cpp,
// nativefile_win.cpp).
namespace NativeFile {

// Makes the file that file names, which must not exist yet, such that its owner alone may open
// it, and opens it for writing; false when it exists or cannot be made. On Windows the file is
// opened through the handle that made it, and file.fileName() is empty from then on. No other user
// can have opened it before it holds anything: the right to open is checked at opening, so a file
// that was readable for an instant could be read ever after through what was opened then.
bool createForOwner(QFile &file);

// Hands what was written to an open file over to the disk; false when the system refuses.
bool syncToDisk(QFile &file);

// Renames from over to in one step, replacing to if it exists.
bool renameOver(const QString &from, const QString &to);

} // namespace NativeFile

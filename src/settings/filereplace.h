// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's bytes in one step. The new bytes go into a copy beside the file whose name
// marks it as the keypad's own ("ZP.INI.AbCdEf.zp-save" beside "ZP.INI"); the copy is then
// renamed over the file. A save cut short leaves the old file whole and, at worst, its copy:
// the next save removes such copies, and only such copies.
namespace FileReplace {

// Who may open the file once replaced: whoever could before (for a new file, whoever its folder
// lets), or its owner alone, whoever could before.
enum class Access { AsBefore, OwnerOnly };

// false when the folder is missing, the existing file is not a writable file, or anything else
// fails; the file is then as it was, and the copy gone.
bool replace(const QString &path, const QByteArray &bytes, Access access = Access::AsBefore);

// Removes the copies that saves of path cut short have left; the number removed.
int removeLeftoverCopies(const QString &path);

// Whether a file name in the file's folder is one of the copies a save of fileName makes.
bool isCopyName(const QString &name, const QString &fileName);

} // namespace FileReplace

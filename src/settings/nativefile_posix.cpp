// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativefile.h"

#include <QFile>
#include <cstdio>
#include <unistd.h>

namespace NativeFile {

bool createForOwner(QFile &file)
{
    return file.open(
        QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner);
}

bool syncToDisk(QFile &file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace NativeFile

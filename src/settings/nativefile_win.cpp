// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativefile.h"

#include <QDir>
#include <QFile>
#include <io.h>
#include <qt_windows.h>

namespace NativeFile {

namespace {
const wchar_t *nativeName(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}
} // namespace

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool renameOver(const QString &from, const QString &to)
{
    const QString nativeFrom = QDir::toNativeSeparators(from);
    const QString nativeTo = QDir::toNativeSeparators(to);
    return MoveFileExW(nativeName(nativeFrom), nativeName(nativeTo),
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace NativeFile

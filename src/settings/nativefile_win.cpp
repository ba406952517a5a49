// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativefile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <io.h>
#include <qt_windows.h>

namespace NativeFile {

namespace {
const wchar_t *nativeName(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}
} // namespace

// Windows has no mode bits: a file's access list says who may open it. A new file's list
// takes in the entries its folder passes on, and a folder others may read passes them on; so
// the list here is protected from those, and lets the user the program runs as alone in.
bool createForOwner(QFile &file)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray userBuffer(qsizetype(size), '\0');
    const bool gotUser
        = GetTokenInformation(token, TokenUser, userBuffer.data(), size, &size) != FALSE;
    CloseHandle(token);
    if (!gotUser)
        return false;
    const PSID user = reinterpret_cast<TOKEN_USER *>(userBuffer.data())->User.Sid;

    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user);
    QByteArray aclBuffer(qsizetype(aclSize), '\0');
    const auto acl = reinterpret_cast<PACL>(aclBuffer.data());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(acl, aclSize, ACL_REVISION)
        || !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user)
        || !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)
        || !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)
        || !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    SECURITY_ATTRIBUTES attributes {sizeof(attributes), &descriptor, FALSE};

    const QString native = QDir::toNativeSeparators(file.fileName());
    const HANDLE handle
        = CreateFileW(nativeName(native), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
            &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const int descriptorNumber = _open_osfhandle(intptr_t(handle), _O_WRONLY | _O_BINARY);
    if (descriptorNumber == -1) {
        CloseHandle(handle);
        DeleteFileW(nativeName(native));
        return false;
    }
    if (!file.open(descriptorNumber, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        _close(descriptorNumber);
        DeleteFileW(nativeName(native));
        return false;
    }
    return true;
}

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

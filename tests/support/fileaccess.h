// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
#include <QByteArray>
#include <QDir>
#include <qt_windows.h>
// After Qt's, which keeps Windows' min and max macros out.
#include <aclapi.h>
#endif

// Whether anyone but the file's owner may open it to read or write. Windows files have no mode
// bits, and QFile::permissions reports only their read-only flag there: their access list says
// it, every entry that lets a user other than this one in.
inline bool othersMayOpen(const QString &path)
{
#ifndef Q_OS_WIN
    return QFile::permissions(path)
        & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther);
#else
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return true;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray userBuffer(qsizetype(size), '\0');
    const bool gotUser
        = GetTokenInformation(token, TokenUser, userBuffer.data(), size, &size) != FALSE;
    CloseHandle(token);
    if (!gotUser)
        return true;
    const PSID user = reinterpret_cast<TOKEN_USER *>(userBuffer.data())->User.Sid;

    const QString native = QDir::toNativeSeparators(path);
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(reinterpret_cast<const wchar_t *>(native.utf16()), SE_FILE_OBJECT,
            DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return true;
    // No list at all lets everyone in.
    bool others = acl == nullptr;
    constexpr ACCESS_MASK Opens = GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | FILE_READ_DATA
        | FILE_WRITE_DATA | FILE_APPEND_DATA;
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        void *entry = nullptr;
        if (!GetAce(acl, i, &entry)
            || static_cast<ACE_HEADER *>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        const auto allowed = static_cast<ACCESS_ALLOWED_ACE *>(entry);
        // The system itself, not a user, opens any file it wants anyway; Wine lists it for every
        // file.
        const PSID sid = &allowed->SidStart;
        if ((allowed->Mask & Opens) && !EqualSid(sid, user)
            && !IsWellKnownSid(sid, WinLocalSystemSid))
            others = true;
    }
    LocalFree(descriptor);
    return others;
#endif
}

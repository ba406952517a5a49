// SPDX-License-Identifier: GPL-3.0-or-later
#include "pairingkey.h"

#include "filereplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <array>

namespace {

constexpr auto Encoding = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

} // namespace

namespace PairingKey {

QByteArray generate()
{
    std::array<quint32, Bytes / 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), Bytes).toBase64(Encoding);
}

bool isWellFormed(const QByteArray &key)
{
    const auto decoded
        = QByteArray::fromBase64Encoding(key, Encoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded && decoded.decoded.size() == Bytes && decoded.decoded.toBase64(Encoding) == key;
}

QByteArray renew(const QString &path)
{
    const QByteArray key = generate();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return FileReplace::replace(path, key + '\n', FileReplace::Access::OwnerOnly) ? key
                                                                                  : QByteArray();
}

QByteArray loadOrCreate(const QString &path)
{
    // Read and closed before a new key replaces it: Windows renames nothing over an open file.
    QByteArray key;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            key = file.read(64).trimmed();
    }
    return isWellFormed(key) ? key : renew(path);
}

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
        + QStringLiteral("/webpad-key");
}

} // namespace PairingKey

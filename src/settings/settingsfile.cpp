// SPDX-License-Identifier: GPL-3.0-or-later

#include "settingsfile.h"

#include "filereplace.h"
#include "intconv.h"
#include "profilefile.h"

#include <QStandardPaths>

namespace SettingsFile {

namespace {
const QString Section = QStringLiteral("Form");
const QString PortKey = QStringLiteral("port");
const QString HostKey = QStringLiteral("ipserver");
} // namespace

QString defaultPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    while (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        folder.chop(1);
    return folder + QStringLiteral("/ZP.INI");
}

Address load(const QString &path, int defaultPort)
{
    // The keypad reads the file once, at its start: the time to clear what a save that was cut
    // short left beside it, when the keypad closes without saving again.
    FileReplace::removeLeftoverCopies(path);
    const QString text = readProfileFile(path);
    const std::optional<qint32> port = strToInt(readProfileString(text, Section, PortKey, {}));
    return {QString::number(port.value_or(defaultPort)),
        readProfileString(text, Section, HostKey, QString::fromLatin1(DefaultHost))};
}

SaveResult save(const QString &path, const QString &portText, const QString &host)
{
    const std::optional<qint32> port = strToInt(portText);
    if (!port)
        return SaveResult::PortNotANumber;
    // One write for both: a save cut short by a crash or a power cut must not leave the new
    // port with the old host.
    if (!writeProfileValues(path, Section, {{PortKey, QString::number(*port)}, {HostKey, host}}))
        return SaveResult::WriteRefused;
    return SaveResult::Saved;
}

} // namespace SettingsFile

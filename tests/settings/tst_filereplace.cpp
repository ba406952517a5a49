// SPDX-License-Identifier: GPL-3.0-or-later

#include "fileaccess.h"
#include "filebytes.h"
#include "filereplace.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileReplace : public QObject
{
    Q_OBJECT

private slots:
    void leftoverCopies_data();
    void leftoverCopies();
    void replaceKeepsLinkAndPermissions();
    void ownerOnly_data();
    void ownerOnly();
};

// Beside ZP.INI lie copies that killed saves left, and files of other programs or of the user
// with names that look like them: the next save, or the next start, removes the copies, and
// nothing else.
void TestFileReplace::leftoverCopies_data()
{
    QTest::addColumn<bool>("bySave");
    QTest::newRow("the next save") << true;
    QTest::newRow("the next start") << false;
}

void TestFileReplace::leftoverCopies()
{
    QFETCH(bool, bySave);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ZP.INI"));
    const QByteArray before = "[Form]\r\nport=6000\r\nipserver=old\r\n";
    QVERIFY(writeFile(path, before));

    const QStringList copies {"ZP.INI.AbCdEf.zp-save", "ZP.INI.zzzzzz.zp-save"};
    const QStringList others {
        "ZP.INI.backup", // a copy in the shape of an older version's, or the user's own
        "ZP.INI.AbCdEf",
        "ZP.INI.AbCdE.zp-save",
        "ZP.INI.AbCdEfG.zp-save",
        "ZP.INI.AbC1Ef.zp-save",
        "ZP.INI.AbCdEf.zp-save.txt",
        "ZP.INI.GhIjKl.ZP-SAVE", // on Windows the same name as ...ghijkl.zp-save, never made
        "ZP.INI..zp-save",
        "OTHER.INI.AbCdEf.zp-save",
        "xZP.INI.AbCdEf.zp-save",
    };
    for (const QString &name : copies + others)
        QVERIFY(writeFile(dir.filePath(name), "[Form]\r\nport=1\r\n"));
    // A folder is never a copy, whatever its name.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ZP.INI.QwErTy.zp-save")));

    if (bySave) {
        QCOMPARE(SettingsFile::save(path, QStringLiteral("6001"), QStringLiteral("new")),
            SettingsFile::SaveResult::Saved);
        QCOMPARE(readFile(path), QByteArray("[Form]\r\nport=6001\r\nipserver=new\r\n"));
    } else {
        QCOMPARE(SettingsFile::load(path, 1).host, QStringLiteral("old"));
        QCOMPARE(readFile(path), before);
    }

    QStringList expected = others;
    expected << QStringLiteral("ZP.INI");
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("ZP.INI.QwErTy.zp-save"))).isDir());
}

// The copy takes the file's place: a link to the settings file stays a link, and the file keeps
// its permissions.
void TestFileReplace::replaceKeepsLinkAndPermissions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString real = dir.filePath(QStringLiteral("real/ZP.INI"));
    QVERIFY(writeFile(real, "old"));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
        | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(real, permissions));

    QString path = real;
#ifndef Q_OS_WIN
    // On Windows QFile::link makes a shortcut, which is not what a link is elsewhere.
    path = dir.filePath(QStringLiteral("ZP.INI"));
    QVERIFY(QFile::link(real, path));
#endif
    QVERIFY(FileReplace::replace(path, "new"));
    QCOMPARE(readFile(real), QByteArray("new"));
    QCOMPARE(QFileInfo(path).isSymLink(), path != real);
#ifndef Q_OS_WIN
    // Windows keeps only a read-only flag, which a writable file does not have.
    QCOMPARE(QFile::permissions(real), permissions);
#endif
    QCOMPARE(QDir(dir.filePath(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden),
        QStringList {"ZP.INI"});
}

// A file kept from other users, such as the tablets' key, is theirs to open neither when it is
// new nor when it replaces a file they could open.
void TestFileReplace::ownerOnly_data()
{
    QTest::addColumn<bool>("existed");
    QTest::newRow("a new file") << false;
    QTest::newRow("a file others could open") << true;
}

void TestFileReplace::ownerOnly()
{
    QFETCH(bool, existed);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("webpad-key"));
    if (existed) {
        QVERIFY(writeFile(path, "old"));
        QFile::setPermissions(
            path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(othersMayOpen(path));
    }
    QVERIFY(FileReplace::replace(path, "new", FileReplace::Access::OwnerOnly));
    QCOMPARE(readFile(path), QByteArray("new"));
    QVERIFY(!othersMayOpen(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"webpad-key"});
}

QTEST_APPLESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"

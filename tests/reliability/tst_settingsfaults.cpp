// SPDX-License-Identifier: GPL-3.0-or-later

#include "filebytes.h"
#include "filereplace.h"
#include "loopbudget.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

constexpr int killCount = 1000;
// Under Wine each start of the save loop costs a third of a second on a quiet machine, and
// twice that on a loaded one: a thousand took longer than Qt Test's five minutes.
constexpr qint64 killBoundUnderEmulatorMs = 90000;
// Wine now and then fails to start a process on a busy machine ("Internal error"); such a start
// is tried again, and counted.
constexpr int startTries = 3;
constexpr quint32 killWindowUs = 10000;
// Longer than any start-up, and short enough for the rare end that is never reported.
constexpr int loopEndMs = 5000;

// The copies that killed saves left beside the settings file.
int leftoverCopies(const QString &folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return int(std::count_if(names.cbegin(), names.cend(), [](const QString &name) {
        return FileReplace::isCopyName(name, QStringLiteral("ZP.INI"));
    }));
}

struct Address
{
    QString port;
    QString host;
};

} // namespace

class TestSettingsFaults : public QObject
{
    Q_OBJECT

private slots:
    void saveKeepsForeignBytes_data();
    void saveKeepsForeignBytes();
    void killedSaveLeavesOldOrNew();
};

// Files that other programs or editors left: in a Windows code page, or with broken UTF-8.
void TestSettingsFaults::saveKeepsForeignBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    const QByteArray oldForm = "[Form]\r\nport=1\r\nipserver=a\r\n";
    const QByteArray newForm = "[Form]\r\nport=6000\r\nipserver=10.0.0.5\r\n";
    const QList<std::pair<const char *, std::pair<QByteArray, QByteArray>>> rows {
        {"comment in a Greek code page", {"; \xc5\xeb\xeb\xdc\xe4\xe1\r\n", ""}},
        {"lone 0xFF in another section", {"[Other]\r\nx=\xff\r\n", ""}},
        {"sequence cut off at the end", {"", "; \xce"}},
        {"overlong encoding", {"; \xc0\xaf\r\n", ""}},
        {"encoded surrogate", {"; \xed\xa0\x80\r\n", ""}},
        {"beyond U+10FFFF", {"; \xf4\x90\x80\x80\r\n", ""}},
        {"byte order mark, then a code page", {"\xef\xbb\xbf; \xe5\r\n", ""}},
        {"continuation bytes alone", {"; \x80\xbf\x80\r\n", ""}},
        {"UTF-8 kept as it is", {"; \xce\x95\xce\xbb\xf0\x9f\x8e\xb5\r\n", ""}},
    };
    for (const auto &[name, around] : rows) {
        const auto &[prefix, suffix] = around;
        QTest::newRow(name) << prefix + oldForm + suffix << prefix + newForm + suffix;
    }
}

void TestSettingsFaults::saveKeepsForeignBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ZP.INI"));
    QVERIFY(writeFile(path, before));
    QCOMPARE(SettingsFile::save(path, QStringLiteral("6000"), QStringLiteral("10.0.0.5")),
        SettingsFile::SaveResult::Saved);
    QCOMPARE(readFile(path), after);
    QCOMPARE(SettingsFile::load(path, 6000).host, QStringLiteral("10.0.0.5"));
}

// A save loop in a process of its own is killed at random moments; whatever it was doing,
// the file holds either the address before that save or the one after it, never a mixture
// and never a part. The copies that killed saves leave never pile up: each save removes the
// ones before it, the next start the last one, and neither touches other files.
void TestSettingsFaults::killedSaveLeavesOldOrNew()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ZP.INI"));
    const QStringList others {"ZP.INI.backup", "ZP.INI.AbCdEf", "ZP.INI.AbCdEf.zp-save.txt"};
    for (const QString &name : others)
        QVERIFY(writeFile(dir.filePath(name), "[Form]\r\nport=1\r\n"));
    QVERIFY(writeFile(path,
        "; kept\r\n[Other]\r\nx=\xe1\r\n[Form]\r\nport=1\r\nipserver=old\r\n[Last]\r\ny=2\r\n"));

    const Address addresses[] = {{"6000", "192.168.1.20"}, {"6123", "zp-server.example.lan"}};
    QByteArray contents[2];
    for (int i : {0, 1}) {
        QCOMPARE(SettingsFile::save(path, addresses[i].port, addresses[i].host),
            SettingsFile::SaveResult::Saved);
        contents[i] = readFile(path);
    }
    QVERIFY(contents[0] != contents[1]);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int current = 1;
    int changes = 0;
    qint64 saves = 0;
    int unreported = 0;
    int failedStarts = 0;
    int killsWithCopy = 0;
    LoopBudget kills(killCount, killBoundUnderEmulatorMs);
    while (kills.next()) {
        const int kill = kills.started() - 1;
        const Address &now = addresses[current];
        const Address &next = addresses[1 - current];
        QProcess loop;
        // Within its start-up or any of the first dozens of saves.
        const QString killAfterUs = QString::number(random.bounded(killWindowUs));
        for (int tries = 1;; ++tries) {
            loop.start(QStringLiteral(ZP_SAVELOOP_PATH),
                {path, killAfterUs, now.port, now.host, next.port, next.host});
            if (loop.waitForStarted())
                break;
            QVERIFY2(tries < startTries, qPrintable(loop.errorString()));
            ++failedStarts;
        }
        if (!loop.waitForFinished(loopEndMs)) {
            // Wine now and then never reports the end of a process that terminated itself,
            // though it is gone. It is ended from outside, and the file checked all the same.
            loop.kill();
            QVERIFY(loop.waitForFinished());
            ++unreported;
        }
        QCOMPARE(loop.exitStatus(), QProcess::CrashExit);
        saves += loop.readAllStandardOutput().size();

        const QByteArray bytes = readFile(path);
        const int found = bytes == contents[0] ? 0 : bytes == contents[1] ? 1 : -1;
        QVERIFY2(found >= 0,
            qPrintable(QStringLiteral("kill %1 (seed %2) left: %3")
                           .arg(kill)
                           .arg(seed)
                           .arg(QString::fromLatin1(bytes.toPercentEncoding(" ;=[]")))));
        changes += found != current ? 1 : 0;
        current = found;

        const int copies = leftoverCopies(dir.path());
        QVERIFY2(copies <= 1,
            qPrintable(QStringLiteral("%1 copies after kill %2").arg(copies).arg(kill)));
        killsWithCopy += copies;
    }
    // A loop that does not end by itself would show here rather than as a test that runs for
    // hours.
    QVERIFY2(kills.started() >= 50, qPrintable(QString::number(kills.started())));
    QVERIFY2(unreported < kills.started() / 20, qPrintable(QString::number(unreported)));
    QVERIFY2(failedStarts < kills.started() / 20, qPrintable(QString::number(failedStarts)));

    const QByteArray last = readFile(path);
    SettingsFile::load(path, 6000);
    QCOMPARE(readFile(path), last);
    QStringList expected = others;
    expected << QStringLiteral("ZP.INI");
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    qInfo("%d kills (seed %u) after %lld saves in all: the file was always complete, and "
          "changed %d times; %d kills left a copy, each removed by the next save or start; "
          "%d ends went unreported, %d starts failed and were tried again",
        kills.started(), seed, saves, changes, killsWithCopy, unreported, failedStarts);
}

QTEST_GUILESS_MAIN(TestSettingsFaults)
#include "tst_settingsfaults.moc"

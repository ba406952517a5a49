// SPDX-License-Identifier: GPL-3.0-or-later

#include "panelitem.h"
#include "windowfixture.h"
#include "zpapplication.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStringEncoder>
#include <QTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void save_data();
    void save();
    void keepsTheRestOfTheFile();
    void refusedWrite_data();
    void refusedWrite();
    void addressSurvivesRestart();
};

void TestSettings::load_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("host");

    const QByteArray longHost(3000, 'h');
    QTest::newRow("no file") << QByteArray() << "6000"
                             << "127.0.0.1";
    QTest::newRow("stored") << QByteArray("[Form]\r\nport=6001\r\nipserver=10.0.0.5\r\n") << "6001"
                            << "10.0.0.5";
    QTest::newRow("0x hex") << QByteArray("[Form]\r\nport=0x1770\r\n") << "6000"
                            << "127.0.0.1";
    QTest::newRow("dollar hex") << QByteArray("[Form]\nport=$1771\n") << "6001"
                                << "127.0.0.1";
    QTest::newRow("letters") << QByteArray("[Form]\nport=abc\n") << "6000"
                             << "127.0.0.1";
    QTest::newRow("empty port") << QByteArray("[Form]\nport=\n") << "6000"
                                << "127.0.0.1";
    QTest::newRow("beyond 32 bits") << QByteArray("[Form]\nport=4294967296\n") << "6000"
                                    << "127.0.0.1";
    QTest::newRow("70000 kept") << QByteArray("[Form]\nport=70000\n") << "70000"
                                << "127.0.0.1";
    QTest::newRow("-1 kept") << QByteArray("[Form]\nport=-1\n") << "-1"
                             << "127.0.0.1";
    // Negated in 32 bits this would wrap round to 6001; below the range, it is no number.
    QTest::newRow("negated hex below the range")
        << QByteArray("[Form]\nport=-$FFFFE88F\n") << "6000"
        << "127.0.0.1";
    QTest::newRow("empty host stays empty") << QByteArray("[Form]\nipserver=\n") << "6000"
                                            << "";
    QTest::newRow("other section only") << QByteArray("[Other]\nport=1\nipserver=x\n") << "6000"
                                        << "127.0.0.1";
    QTest::newRow("names in other case")
        << QByteArray("[FORM]\nPort = 6002\nIPSERVER=zp.local\n") << "6002"
        << "zp.local";
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("UTF-16, as a Windows editor saves \"Unicode\"")
        << QByteArray(utf16(u"[Form]\r\nport=6003\r\nipserver=zp.local\r\n")) << "6003"
        << "zp.local";
    QTest::newRow("3000-character host") << QByteArray("[Form]\nipserver=" + longHost + "\n")
                                         << "6000" << QString::fromLatin1(longHost.left(2047));
}

void TestSettings::load()
{
    QFETCH(QByteArray, file);
    WindowFixture w;
    if (!file.isEmpty()) {
        writeFile(w.env.settingsPath(), file);
        w.restart();
    }
    QTEST(w->Edit3->text(), "port");
    QTEST(w->Edit2->text(), "host");
    // Loading creates nothing.
    QCOMPARE(QFile::exists(w.env.settingsPath()), !file.isEmpty());
}

void TestSettings::save_data()
{
    QTest::addColumn<QString>("portField");
    QTest::addColumn<QString>("hostField");
    QTest::addColumn<QByteArray>("file"); // empty: nothing written, the window stays open

    QTest::newRow("fresh file") << "6000"
                                << "127.0.0.1"
                                << QByteArray("[Form]\r\nport=6000\r\nipserver=127.0.0.1\r\n");
    QTest::newRow("leading blank") << " 6000"
                                   << "h" << QByteArray("[Form]\r\nport=6000\r\nipserver=h\r\n");
    QTest::newRow("plus sign") << "+6000"
                               << "h" << QByteArray("[Form]\r\nport=6000\r\nipserver=h\r\n");
    QTest::newRow("hex saved in decimal")
        << "$1770"
        << "h" << QByteArray("[Form]\r\nport=6000\r\nipserver=h\r\n");
    QTest::newRow("no range check") << "70000"
                                    << "h" << QByteArray("[Form]\r\nport=70000\r\nipserver=h\r\n");
    QTest::newRow("empty host") << "6000"
                                << "" << QByteArray("[Form]\r\nport=6000\r\nipserver=\r\n");
    QTest::newRow("trailing blank") << "6000 "
                                    << "h" << QByteArray();
    QTest::newRow("empty port") << ""
                                << "h" << QByteArray();
    QTest::newRow("letters") << "abc"
                             << "h" << QByteArray();
}

void TestSettings::save()
{
    QFETCH(QString, portField);
    QFETCH(QString, hostField);
    QFETCH(QByteArray, file);

    WindowFixture w;
    w->show();
    w->session()->rythmiseisshowClick({});
    w->Edit3->setText(portField);
    w->Edit2->setText(hostField);
    w->session()->offClick({});

    QCOMPARE(readFile(w.env.settingsPath()), file);
    if (file.isEmpty()) {
        QCOMPARE(w.errors,
            QStringList {QStringLiteral("'%1' is not a valid integer value.").arg(portField)});
        QVERIFY(w->isVisible());
        QVERIFY(w->Panel5->isVisible());
        // Once the field is corrected, the same close succeeds.
        w->Edit3->setText(QStringLiteral("6000"));
        w->session()->offClick({});
        QVERIFY(!w->isVisible());
        QCOMPARE(w.errors.size(), 1);
    } else {
        QVERIFY(w.errors.isEmpty());
        QVERIFY(!w->isVisible());
    }
}

void TestSettings::keepsTheRestOfTheFile()
{
    const QByteArray before = "; written by hand\n"
                              "[Other]\n"
                              "port=1\n"
                              "\n"
                              "[Form]\n"
                              "ipserver = old.host ; not a comment\n"
                              "port=5999\n"
                              "extra=kept\n"
                              "\n"
                              "[Last]\n"
                              "x=y\n";
    const QByteArray after = "; written by hand\n"
                             "[Other]\n"
                             "port=1\n"
                             "\n"
                             "[Form]\n"
                             "ipserver=new.host\n"
                             "port=6001\n"
                             "extra=kept\n"
                             "\n"
                             "[Last]\n"
                             "x=y\n";
    WindowFixture w;
    writeFile(w.env.settingsPath(), before);
    w.restart();
    QCOMPARE(w->Edit3->text(), QStringLiteral("5999"));
    w->Edit3->setText(QStringLiteral("6001"));
    w->Edit2->setText(QStringLiteral("new.host"));
    w->show();
    w->close();
    QCOMPARE(readFile(w.env.settingsPath()), after);
}

void TestSettings::refusedWrite_data()
{
    QTest::addColumn<bool>("readOnlyFile"); // else: the folder is missing

    QTest::newRow("read-only file") << true;
    QTest::newRow("missing folder") << false;
}

void TestSettings::refusedWrite()
{
    QFETCH(bool, readOnlyFile);

    TestEnvironment env;
    TMainClient::Options options = env.options();
    if (readOnlyFile) {
        writeFile(options.settingsPath, "[Form]\r\nport=1\r\n");
        QFile::setPermissions(options.settingsPath, QFile::ReadOwner | QFile::ReadUser);
    } else {
        options.settingsPath = env.folder.filePath(QStringLiteral("gone/ZP.INI"));
    }
    TMainClient window(options);
    QStringList errors;
    window.messageBoxes()->setErrorFunction([&](const QString &text) { errors << text; });
    window.show();

    window.session()->offClick({});
    QCOMPARE(errors,
        QStringList {QStringLiteral("Unable to write to %1.")
                         .arg(QDir::toNativeSeparators(options.settingsPath))});
    QVERIFY(window.isVisible());
    if (readOnlyFile)
        QCOMPARE(readFile(options.settingsPath), QByteArray("[Form]\r\nport=1\r\n"));

    // A file that can never be written must not keep the user in: a second close soon after
    // ends the program without saving.
    window.session()->offClick({});
    QVERIFY(!window.isVisible());
    QCOMPARE(errors.size(), 1);
}

void TestSettings::addressSurvivesRestart()
{
    WindowFixture w;
    // As a discovery reply leaves them, whether or not its connect attempt succeeds.
    w->session()->IdUDPServer1UDPRead("127.0.0.9m6123");
    w.messages.clear();
    w->show();
    w->close();
    QVERIFY(w.errors.isEmpty());

    w.restart();
    QCOMPARE(w->Edit2->text(), QStringLiteral("127.0.0.9"));
    QCOMPARE(w->Edit3->text(), QStringLiteral("6123"));

    w->Edit2->setText(QStringLiteral("zp-server.local"));
    w->Edit3->setText(QStringLiteral("6124"));
    w->show();
    w->close();
    w.restart();
    QCOMPARE(w->Edit2->text(), QStringLiteral("zp-server.local"));
    QCOMPARE(w->Edit3->text(), QStringLiteral("6124"));
}

int main(int argc, char *argv[])
{
    ZpApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"

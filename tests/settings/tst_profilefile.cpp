// SPDX-License-Identifier: GPL-3.0-or-later

#include "profilefile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Other sections, a comment, blank lines, a key spelled with blanks and LF line ends: a write
// into [Form] must leave all of it as it is.
const QString fixture = QStringLiteral("; ZP client\n"
                                       "[Window]\n"
                                       "left=10\n"
                                       "\n"
                                       "[Form]\n"
                                       "; last server found\n"
                                       "  Port = 5000 \n"
                                       "ipserver=10.0.0.7\n"
                                       "\n"
                                       "[Other]\n"
                                       "port=1\n");

// The text as an editor saves it in UTF-16, byte order mark first unless told otherwise.
QByteArray utf16(const QString &text, QStringConverter::Encoding encoding, bool withMark = true)
{
    QStringEncoder encoder(
        encoding, withMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder(text);
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void readString_data();
    void readString();
    void writeString_data();
    void writeString();
    void roundTrip_data();
    void roundTrip();
    void readFile_data();
    void readFile();
    void writeFile_data();
    void writeFile();
};

void TestProfileFile::readString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString longValue(3000, u'a');
    const QString surrogatePair = QStringLiteral("\U0001F600");

    QTest::newRow("plain") << "[Form]\r\nport=6000\r\nipserver=10.0.0.5\r\n"
                           << "ipserver"
                           << "10.0.0.5";
    QTest::newRow("section in other case") << "[FORM]\r\nport=1\r\n"
                                           << "port"
                                           << "1";
    QTest::newRow("key in other case") << "[Form]\r\nPoRt=1\r\n"
                                       << "port"
                                       << "1";
    QTest::newRow("blanks around names and value") << " \t[ Form ]\t \n \tport \t=\t 6000  \n"
                                                   << "port"
                                                   << "6000";
    QTest::newRow("last line without line end") << "[Form]\nport=6000"
                                                << "port"
                                                << "6000";
    QTest::newRow("double quotes stripped") << "[Form]\nport=\"6000\"\n"
                                            << "port"
                                            << "6000";
    QTest::newRow("single quotes stripped") << "[Form]\nipserver='a b'\n"
                                            << "ipserver"
                                            << "a b";
    QTest::newRow("blanks inside quotes kept") << "[Form]\nipserver = \" host \" \n"
                                               << "ipserver"
                                               << " host ";
    QTest::newRow("only one pair of quotes stripped") << "[Form]\nipserver=\"\"x\"\"\n"
                                                      << "ipserver"
                                                      << "\"x\"";
    QTest::newRow("mismatched quotes kept") << "[Form]\nipserver=\"x'\n"
                                            << "ipserver"
                                            << "\"x'";
    QTest::newRow("lone quote kept") << "[Form]\nipserver=\"\n"
                                     << "ipserver"
                                     << "\"";
    QTest::newRow("empty value") << "[Form]\nipserver=\n"
                                 << "ipserver"
                                 << "";
    QTest::newRow("blank value") << "[Form]\nipserver= \t \n"
                                 << "ipserver"
                                 << "";
    QTest::newRow("empty quoted value") << "[Form]\nipserver=\"\"\n"
                                        << "ipserver"
                                        << "";
    QTest::newRow("equals sign in value") << "[Form]\nipserver=a=b\n"
                                          << "ipserver"
                                          << "a=b";
    QTest::newRow("semicolon in value") << "[Form]\nipserver=a;b\n"
                                        << "ipserver"
                                        << "a;b";
    QTest::newRow("non-ASCII value")
        << QStringLiteral("[Form]\nipserver=Ελλάδα\n") << "ipserver" << QStringLiteral("Ελλάδα");
    QTest::newRow("byte order mark before section")
        << QStringLiteral("\uFEFF[Form]\r\nport=1\r\n") << "port"
        << "1";
    QTest::newRow("text after section bracket") << "[Form] ; main\nport=1\n"
                                                << "port"
                                                << "1";
    QTest::newRow("3000 characters cut to 2047") << "[Form]\nipserver=" + longValue + "\n"
                                                 << "ipserver" << longValue.left(2047);
    QTest::newRow("2047 characters kept whole") << "[Form]\nipserver=" + longValue.left(2047) + "\n"
                                                << "ipserver" << longValue.left(2047);
    QTest::newRow("cut does not split a surrogate pair")
        << "[Form]\nipserver=" + longValue.left(2046) + surrogatePair + "b\n"
        << "ipserver" << longValue.left(2046);
    QTest::newRow("first duplicate key wins") << "[Form]\nport=1\nport=2\n"
                                              << "port"
                                              << "1";
    QTest::newRow("first duplicate section wins") << "[Form]\nport=1\n[form]\nport=2\n"
                                                  << "port"
                                                  << "1";
    QTest::newRow("later duplicate section not searched") << "[Form]\nx=1\n[Form]\nport=2\n"
                                                          << "port"
                                                          << "default";
    QTest::newRow("comment line ignored") << "[Form]\n;port=1\nport=2\n"
                                          << "port"
                                          << "2";
    QTest::newRow("indented comment ignored") << "[Form]\n  ; port=1\n"
                                              << "port"
                                              << "default";
    QTest::newRow("commented-out section ignored") << ";[Form]\nport=1\n[Form]\nport=2\n"
                                                   << "port"
                                                   << "2";
    QTest::newRow("line without equals sign is not a key") << "[Form]\nport\n"
                                                           << "port"
                                                           << "default";
    QTest::newRow("bracket without close is not a section") << "[Form\nport=1\n"
                                                            << "port"
                                                            << "default";
    QTest::newRow("key before any section") << "port=1\n[Form]\n"
                                            << "port"
                                            << "default";
    QTest::newRow("key in the following section") << "[Form]\nx=1\n[Other]\nport=2\n"
                                                  << "port"
                                                  << "default";
    QTest::newRow("missing key") << "[Form]\nport=1\n"
                                 << "ipserver"
                                 << "default";
    QTest::newRow("missing section") << "[Other]\nport=1\n"
                                     << "port"
                                     << "default";
    QTest::newRow("empty text") << ""
                                << "port"
                                << "default";
}

void TestProfileFile::readString()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QCOMPARE(readProfileString(text, u"Form", key, QStringLiteral("default")), expected);
}

void TestProfileFile::writeString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fresh text") << ""
                                << "port"
                                << "6000"
                                << "[Form]\r\nport=6000\r\n";
    QTest::newRow("second key after the first") << "[Form]\r\nport=6000\r\n"
                                                << "ipserver"
                                                << "127.0.0.1"
                                                << "[Form]\r\nport=6000\r\nipserver=127.0.0.1\r\n";
    QTest::newRow("replaced key keeps every other character")
        << fixture << "port"
        << "6000" << QString(fixture).replace("  Port = 5000 \n", "port=6000\n");
    QTest::newRow("missing key goes into its section, not to the end")
        << fixture << "timeout"
        << "5" << QString(fixture).replace("ipserver=10.0.0.7\n", "ipserver=10.0.0.7\ntimeout=5\n");
    QTest::newRow("missing key before trailing blank line and comment")
        << "[Form]\nport=1\n\n; next\n[Other]\n"
        << "ipserver"
        << "h"
        << "[Form]\nport=1\nipserver=h\n\n; next\n[Other]\n";
    QTest::newRow("missing key in empty section") << "[Form]\r\n[Other]\r\n"
                                                  << "port"
                                                  << "6000"
                                                  << "[Form]\r\nport=6000\r\n[Other]\r\n";
    QTest::newRow("missing key after last line without line end") << "[Form]\nport=1"
                                                                  << "ipserver"
                                                                  << "h"
                                                                  << "[Form]\nport=1\nipserver=h\n";
    QTest::newRow("missing section appended with the file's line ends")
        << "; only a comment\n[Window]\nleft=10\n"
        << "port"
        << "6000"
        << "; only a comment\n[Window]\nleft=10\n[Form]\nport=6000\n";
    QTest::newRow("missing section after last line without line end")
        << "[Other]\r\nx=1"
        << "port"
        << "6000"
        << "[Other]\r\nx=1\r\n[Form]\r\nport=6000\r\n";
    QTest::newRow("key in other case takes the caller's spelling") << "[FORM]\r\nPORT = 1\r\n"
                                                                   << "port"
                                                                   << "6000"
                                                                   << "[FORM]\r\nport=6000\r\n";
    QTest::newRow("only the first duplicate key replaced") << "[Form]\nport=1\nport=2\n"
                                                           << "port"
                                                           << "6000"
                                                           << "[Form]\nport=6000\nport=2\n";
    QTest::newRow("commented-out key left alone") << "[Form]\n;port=1\n"
                                                  << "port"
                                                  << "6000"
                                                  << "[Form]\nport=6000\n;port=1\n";
    QTest::newRow("replaced line keeps its own line end") << "[Form]\r\nport=1\nipserver=x\r\n"
                                                          << "port"
                                                          << "6000"
                                                          << "[Form]\r\nport=6000\nipserver=x\r\n";
    QTest::newRow("byte order mark kept")
        << QStringLiteral("\uFEFF[Form]\r\nport=1\r\n") << "port"
        << "6000" << QStringLiteral("\uFEFF[Form]\r\nport=6000\r\n");
    QTest::newRow("byte order mark alone")
        << QStringLiteral("\uFEFF") << "port"
        << "6000" << QStringLiteral("\uFEFF[Form]\r\nport=6000\r\n");
    QTest::newRow("empty value") << "[Form]\r\nport=1\r\n"
                                 << "ipserver"
                                 << ""
                                 << "[Form]\r\nport=1\r\nipserver=\r\n";
    QTest::newRow("value written as given") << ""
                                            << "ipserver"
                                            << " \"h\" "
                                            << "[Form]\r\nipserver= \"h\" \r\n";
    QTest::newRow("value cut at CR LF") << ""
                                        << "ipserver"
                                        << "a\r\nb"
                                        << "[Form]\r\nipserver=a\r\n";
    QTest::newRow("value cut at LF") << "[Form]\nport=1\n"
                                     << "ipserver"
                                     << "a\n[Form]\nport=2"
                                     << "[Form]\nport=1\nipserver=a\n";
    QTest::newRow("value cut at lone CR") << ""
                                          << "ipserver"
                                          << "a\rb"
                                          << "[Form]\r\nipserver=a\r\n";
}

void TestProfileFile::writeString()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    QCOMPARE(writeProfileString(text, u"Form", key, value), expected);
}

void TestProfileFile::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");

    QTest::newRow("address into fixture") << fixture << "192.168.1.20";
    QTest::newRow("empty value into fixture") << fixture << "";
    QTest::newRow("Greek host into empty text") << "" << QStringLiteral("διακομιστής");
    QTest::newRow("value looking like a section") << fixture << "[Other]";
    QTest::newRow("value starting with a semicolon") << ""
                                                     << ";x";
    QTest::newRow("2047 characters") << "" << QString(2047, u'h');
}

// The writer must put the key where the reader looks for it, in a form it reads back unchanged.
void TestProfileFile::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, value);

    const QString written = writeProfileString(text, u"Form", u"ipserver", value);
    QCOMPARE(readProfileString(written, u"form", u"IPSERVER", QStringLiteral("default")), value);
    QCOMPARE(readProfileString(written, u"Form", u"port", QStringLiteral("default")),
        readProfileString(text, u"Form", u"port", QStringLiteral("default")));
}

void TestProfileFile::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing file") << QByteArray() << "127.0.0.1";
    QTest::newRow("empty file") << QByteArray("") << "127.0.0.1";
    QTest::newRow("UTF-8 with byte order mark")
        << QStringLiteral("\uFEFF[Form]\r\nipserver=Ελλάδα\r\n").toUtf8()
        << QStringLiteral("Ελλάδα");
    QTest::newRow("UTF-8 without byte order mark")
        << QStringLiteral("[Form]\nipserver=Ελλάδα\n").toUtf8() << QStringLiteral("Ελλάδα");
    const QString greek = QStringLiteral("[Form]\r\nipserver=Ελλάδα\r\n");
    QTest::newRow("UTF-16 little-endian")
        << utf16(greek, QStringConverter::Utf16LE) << QStringLiteral("Ελλάδα");
    QTest::newRow("UTF-16 big-endian")
        << utf16(greek, QStringConverter::Utf16BE) << QStringLiteral("Ελλάδα");
    // The odd byte is no character; everything before it reads.
    QTest::newRow("UTF-16 with an odd byte")
        << utf16(greek, QStringConverter::Utf16LE) + '\0' << QStringLiteral("Ελλάδα");
    QTest::newRow("UTF-32") << QByteArray("\xFF\xFE\0\0[\0\0\0", 8) << "127.0.0.1";
    QTest::newRow("UTF-16 little-endian without byte order mark")
        << utf16(greek, QStringConverter::Utf16LE, false) << QStringLiteral("Ελλάδα");
    QTest::newRow("UTF-16 big-endian without byte order mark")
        << utf16(greek, QStringConverter::Utf16BE, false) << QStringLiteral("Ελλάδα");
}

void TestProfileFile::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ZP.INI"));
    if (!bytes.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QCOMPARE(readProfileValue(path, u"Form", u"ipserver", QStringLiteral("127.0.0.1")), expected);
}

void TestProfileFile::writeFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after");

    const QByteArray existing = QStringLiteral("\uFEFF[form]\nPort=1\n; Ελλάδα\n").toUtf8();

    QTest::newRow("new file") << QByteArray() << false << true << true
                              << QByteArray("[Form]\r\nport=6000\r\n");
    QTest::newRow("existing file rewritten byte for byte")
        << existing << false << true << true
        << QStringLiteral("\uFEFF[form]\nport=6000\n; Ελλάδα\n").toUtf8();
    QTest::newRow("read-only file refused") << existing << true << true << false << existing;
    // Written back in the file's own encoding, never with eight-bit lines added to it.
    const QString unicode = QStringLiteral("[Form]\r\nipserver=Ελλάδα\r\n");
    const QString unicodeAfter = QStringLiteral("[Form]\r\nipserver=Ελλάδα\r\nport=6000\r\n");
    QTest::newRow("UTF-16 little-endian kept")
        << utf16(unicode, QStringConverter::Utf16LE) << false << true << true
        << utf16(unicodeAfter, QStringConverter::Utf16LE);
    QTest::newRow("UTF-16 big-endian kept")
        << utf16(unicode, QStringConverter::Utf16BE) << false << true << true
        << utf16(unicodeAfter, QStringConverter::Utf16BE);
    // A lone surrogate is one more code unit to keep.
    QTest::newRow("UTF-16 lone surrogate kept")
        << utf16(QStringLiteral("; ") + QChar(0xD800) + QStringLiteral("\r\n[Form]\r\n"),
               QStringConverter::Utf16LE)
        << false << true << true
        << utf16(
               QStringLiteral("; ") + QChar(0xD800) + QStringLiteral("\r\n[Form]\r\nport=6000\r\n"),
               QStringConverter::Utf16LE);
    const QByteArray oddUtf16 = utf16(unicode, QStringConverter::Utf16LE) + '\0';
    QTest::newRow("UTF-16 with an odd byte refused")
        << oddUtf16 << false << true << false << oddUtf16;
    const QByteArray utf32("\xFF\xFE\0\0[\0\0\0", 8);
    QTest::newRow("UTF-32 refused") << utf32 << false << true << false << utf32;
    QTest::newRow("UTF-16 little-endian without byte order mark kept")
        << utf16(unicode, QStringConverter::Utf16LE, false) << false << true << true
        << utf16(unicodeAfter, QStringConverter::Utf16LE, false);
    QTest::newRow("UTF-16 big-endian without byte order mark kept")
        << utf16(unicode, QStringConverter::Utf16BE, false) << false << true << true
        << utf16(unicodeAfter, QStringConverter::Utf16BE, false);
    // Zero bytes as often at even offsets as at odd ones: no known encoding to write back in.
    const QByteArray zeros("[Form]\r\nport=1\0\0\r\n", 18);
    QTest::newRow("zero bytes that are not UTF-16 refused")
        << zeros << false << true << false << zeros;
    QTest::newRow("missing folder refused")
        << QByteArray() << false << false << false << QByteArray();
}

void TestProfileFile::writeFile()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, readOnly);
    QFETCH(bool, folderExists);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = folderExists ? dir.path() : dir.filePath(QStringLiteral("missing"));
    const QString path = folder + QStringLiteral("/ZP.INI");
    if (!before.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), before.size());
    }
    // Only the permission bits are cleared: when the tests run as root the system would still let
    // the file be written, so the refusal has to come from the writer's own check.
    if (readOnly)
        QVERIFY(QFile::setPermissions(
            path, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther));

    QCOMPARE(writeProfileValue(path, u"Form", u"port", u"6000"), ok);

    QFile file(path);
    if (after.isNull()) {
        QVERIFY(!file.exists());
    } else {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }
    // A save leaves no temporary copy behind, whether it succeeded or not.
    const QStringList expectedFiles = after.isNull() ? QStringList() : QStringList {"ZP.INI"};
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), expectedFiles);
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"

// SPDX-License-Identifier: GPL-3.0-or-later

#include "wireformat.h"

#include <QTest>

class TestWireFormat : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void accepted_data();
    void accepted();
};

void TestWireFormat::encode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("sign") << "g14" << QByteArray("g14\r\n");
    QTest::newRow("command tile") << "SpeedButton25" << QByteArray("SpeedButton25\r\n");
    QTest::newRow("greek letter") << QString::fromUtf8("aλb") << QByteArray("a?b\r\n");
    QTest::newRow("latin-1 letter") << QString::fromUtf8("é") << QByteArray("?\r\n");
    QTest::newRow("surrogate pair is two units")
        << QString::fromUtf8("\U0001D046") << QByteArray("??\r\n");
    QTest::newRow("highest ascii") << QString(QChar(0x7F)) << QByteArray("\x7F\r\n");
    QTest::newRow("empty") << QString() << QByteArray("\r\n");
}

void TestWireFormat::encode()
{
    QFETCH(QString, name);
    QTEST(WireFormat::encodeCommandLine(name), "bytes");
}

void TestWireFormat::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("ok") << "ok";
    QTest::newRow("0x80") << QByteArray("o\x80k") << QStringView(u"o\uFFFDk").toString();
    QTest::newRow("0xff") << QByteArray("\xff") << QStringView(u"\uFFFD").toString();
    QTest::newRow("utf-8 is not decoded")
        << QByteArray("\xce\xbb") << QStringView(u"\uFFFD\uFFFD").toString();
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QStringView(u"a\u0000b", 3).toString();
}

void TestWireFormat::decode()
{
    QFETCH(QByteArray, bytes);
    QTEST(WireFormat::decodeAscii(bytes), "text");
}

void TestWireFormat::accepted_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("ok") << "ok" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("upper case") << "OK" << false;
    QTest::newRow("trailing blank") << "ok " << false;
    QTest::newRow("leading blank") << " ok" << false;
    QTest::newRow("trailing cr") << "ok\r" << false;
    QTest::newRow("no") << "no" << false;
}

void TestWireFormat::accepted()
{
    QFETCH(QString, reply);
    QTEST(WireFormat::isAcceptedReply(reply), "accepted");
}

QTEST_APPLESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"

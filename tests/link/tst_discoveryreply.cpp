// SPDX-License-Identifier: GPL-3.0-or-later

#include "discoveryreply.h"

#include <QTest>

class TestDiscoveryReply : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
};

// Rows are datagram bytes, so that decoding and splitting are checked together.
void TestDiscoveryReply::split_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isReply");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");

    const QString replacement(QChar::ReplacementCharacter);

    QTest::newRow("address and port") << QByteArray("192.168.1.20m6000") << true << "192.168.1.20"
                                      << "6000";
    QTest::newRow("longest address")
        << QByteArray("192.168.100.200m6000") << true << "192.168.100.200"
        << "6000";
    QTest::newRow("empty host") << QByteArray("m6000") << true << ""
                                << "6000";
    QTest::newRow("only the m") << QByteArray("m") << true << ""
                                << "";
    QTest::newRow("no m") << QByteArray("6000") << false << ""
                          << "";
    QTest::newRow("capital M does not count") << QByteArray("hostM6000") << false << ""
                                              << "";
    QTest::newRow("capital M before the m stays in the host")
        << QByteArray("hMostm1") << true << "hMost"
        << "1";
    QTest::newRow("first m wins, the rest is port") << QByteArray("ho mm") << true << "ho "
                                                    << "m";
    QTest::newRow("m inside a host name") << QByteArray("myhostm6000") << true << ""
                                          << "yhostm6000";
    QTest::newRow("line ends kept") << QByteArray("a\r\nm6000\r\n") << true << "a\r\n"
                                    << "6000\r\n";
    QTest::newRow("empty") << QByteArray() << false << ""
                           << "";
    QTest::newRow("m with the high bit set is no m") << QByteArray("h\xedp") << false << ""
                                                     << "";
    QTest::newRow("high bytes on both sides")
        << QByteArray("\xe0m\xff") << true << replacement << replacement;
    QTest::newRow("nul kept in the host")
        << QByteArray("a\0m1", 4) << true << QStringView(u"a\u0000", 2).toString() << "1";
}

void TestDiscoveryReply::split()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isReply);

    const std::optional<DiscoveryReply> reply = splitDiscoveryReply(decodeDiscoveryReply(bytes));
    QCOMPARE(reply.has_value(), isReply);
    if (reply) {
        QTEST(reply->host, "host");
        QTEST(reply->port, "port");
    }
}

QTEST_APPLESS_MAIN(TestDiscoveryReply)
#include "tst_discoveryreply.moc"

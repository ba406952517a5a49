// SPDX-License-Identifier: GPL-3.0-or-later

#include "gunzip.h"
#include "gzip.h"

#include <QRandomGenerator>
#include <QTest>

class tst_Gzip : public QObject
{
    Q_OBJECT

private slots:
    // The check values every CRC-32 of this kind gives.
    void crc32_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<quint32>("crc");
        QTest::newRow("nothing") << QByteArray() << 0u;
        QTest::newRow("the standard check") << QByteArray("123456789") << 0xCBF43926u;
        QTest::newRow("one byte") << QByteArray("a") << 0xE8B7BE43u;
    }
    void crc32()
    {
        QFETCH(QByteArray, data);
        QTEST(Gzip::crc32(data), "crc");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("a few bytes") << QByteArray("<svg/>");
        QByteArray picture;
        for (int i = 0; i < 4000; ++i)
            picture += "<path d=\"m" + QByteArray::number(i % 97) + " 12c-3 4 5-6 7 8\"/>";
        QTest::newRow("a picture's text") << picture;
        QByteArray noise(200000, Qt::Uninitialized);
        QRandomGenerator random(7);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QTest::newRow("bytes that do not compress") << noise;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, data);
        const QByteArray member = Gzip::compress(data);
        const std::optional<QByteArray> back = gunzip(member);
        QVERIFY(back.has_value());
        QCOMPARE(*back, data);
    }

    void acceptedBy_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a browser's") << QByteArray("gzip, deflate, br, zstd") << true;
        QTest::newRow("gzip last") << QByteArray("br,deflate,gzip") << true;
        QTest::newRow("in capitals, with spaces") << QByteArray("  GZip  ") << true;
        QTest::newRow("with a weight") << QByteArray("gzip;q=0.5") << true;
        QTest::newRow("any coding") << QByteArray("*") << true;
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("others only") << QByteArray("br, deflate") << false;
        QTest::newRow("a longer name") << QByteArray("gzipped") << false;
        QTest::newRow("weighed zero") << QByteArray("gzip;q=0") << false;
        QTest::newRow("weighed zero, spelt long") << QByteArray("gzip; q=0.000") << false;
        QTest::newRow("any but with zero") << QByteArray("*;q=0") << false;
        QTest::newRow("gzip named beats any") << QByteArray("*;q=0, gzip") << true;
        QTest::newRow("gzip refused beats any") << QByteArray("gzip;q=0, *") << false;
    }
    void acceptedBy()
    {
        QFETCH(QByteArray, header);
        QTEST(Gzip::acceptedBy(header.toStdString()), "accepted");
    }
};

QTEST_GUILESS_MAIN(tst_Gzip)
#include "tst_gzip.moc"

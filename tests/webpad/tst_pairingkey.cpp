// SPDX-License-Identifier: GPL-3.0-or-later

#include "fileaccess.h"
#include "pairingkey.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The key that pairs a tablet: unguessable, kept across restarts, replaced only on demand.
class tst_PairingKey : public QObject
{
    Q_OBJECT

private slots:
    void generatedKeysAreFreshAndCarry128Bits()
    {
        const QByteArray a = PairingKey::generate();
        const QByteArray b = PairingKey::generate();
        QVERIFY(a != b);
        QVERIFY(PairingKey::isWellFormed(a));
        QCOMPARE(QByteArray::fromBase64(a, QByteArray::Base64UrlEncoding).size(), 16);
        // Safe in a URL's path as it is.
        for (const char c : a)
            QVERIFY2(QChar::fromLatin1(c).isLetterOrNumber() || c == '-' || c == '_', a);
    }

    void wellFormed_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("wellFormed");
        QTest::newRow("a key") << QByteArray("fJDJ0T4UG9eKkTMTmhVLJg") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("short") << QByteArray("fJDJ0T4UG9eKkTMTmhVL") << false;
        QTest::newRow("long") << QByteArray("fJDJ0T4UG9eKkTMTmhVLJgAA") << false;
        QTest::newRow("padded") << QByteArray("fJDJ0T4UG9eKkTMTmhVLJg==") << false;
        QTest::newRow("not base64url") << QByteArray("fJDJ0T4UG9eKkTMTmhVL/g") << false;
    }
    void wellFormed()
    {
        QFETCH(QByteArray, key);
        QTEST(PairingKey::isWellFormed(key), "wellFormed");
    }

    void keptAcrossRestartsUntilRenewed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("config/webpad-key"));
        const QByteArray first = PairingKey::loadOrCreate(path);
        QVERIFY(PairingKey::isWellFormed(first));
        QCOMPARE(PairingKey::loadOrCreate(path), first);
        QVERIFY(!othersMayOpen(path));

        const QByteArray renewed = PairingKey::renew(path);
        QVERIFY(PairingKey::isWellFormed(renewed));
        QVERIFY(renewed != first);
        QCOMPARE(PairingKey::loadOrCreate(path), renewed);
        QVERIFY(!othersMayOpen(path));
    }

    void damagedFileGetsANewKey()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("webpad-key"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("guessable\n");
        file.close();
        const QByteArray key = PairingKey::loadOrCreate(path);
        QVERIFY(PairingKey::isWellFormed(key));
        QCOMPARE(PairingKey::loadOrCreate(path), key);
        QVERIFY(!othersMayOpen(path));
    }
};

QTEST_GUILESS_MAIN(tst_PairingKey)
#include "tst_pairingkey.moc"

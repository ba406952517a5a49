// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturecache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

QImage picture(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.drawEllipse(QRect(QPoint(0, 0), size).adjusted(2, 2, -2, -2));
    return image;
}

QStringList keptFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.pixels")}, QDir::Files);
}

} // namespace

class TestPictureCache : public QObject
{
    Q_OBJECT

private slots:
    void keptPictureIsFound();
    void otherPicturesAreNotFound_data();
    void otherPicturesAreNotFound();
    void damagedFileIsNotFound_data();
    void damagedFileIsNotFound();
    void olderArtworkAndOldestFilesAreClearedAway();
    void folderThatCannotBeWrittenKeepsNothing();
};

void TestPictureCache::keptPictureIsFound()
{
    QTemporaryDir folder;
    const PictureCache cache(folder.filePath(QStringLiteral("pictures")));
    const QImage drawn = picture(QSize(173, 91), Qt::red);
    cache.insert(QStringLiteral("Image1"), drawn, QColor(Qt::white));
    QCOMPARE(cache.find(QStringLiteral("Image1"), QSize(173, 91), QColor(Qt::white)), drawn);
}

void TestPictureCache::otherPicturesAreNotFound_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("background");

    QTest::newRow("another picture") << "Image2" << QSize(173, 91) << QColor(Qt::white);
    QTest::newRow("another size") << "Image1" << QSize(174, 91) << QColor(Qt::white);
    QTest::newRow("another background") << "Image1" << QSize(173, 91) << QColor(Qt::gray);
    QTest::newRow("no background") << "Image1" << QSize(173, 91) << QColor();
    QTest::newRow("no size") << "Image1" << QSize() << QColor(Qt::white);
}

void TestPictureCache::otherPicturesAreNotFound()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QColor, background);

    QTemporaryDir folder;
    const PictureCache cache(folder.path());
    cache.insert(QStringLiteral("Image1"), picture(QSize(173, 91), Qt::red), QColor(Qt::white));
    QVERIFY(cache.find(name, size, background).isNull());
}

void TestPictureCache::damagedFileIsNotFound_data()
{
    QTest::addColumn<qint64>("cutTo");
    QTest::addColumn<int>("spoiledByte");

    QTest::newRow("cut short") << qint64(1000) << -1;
    QTest::newRow("only the header") << qint64(16) << -1;
    QTest::newRow("empty") << qint64(0) << -1;
    QTest::newRow("another kind of file") << qint64(-1) << 0;
    QTest::newRow("another width inside") << qint64(-1) << 4;
}

// A file left half written, or changed under the keypad, is drawn again, never shown.
void TestPictureCache::damagedFileIsNotFound()
{
    QFETCH(qint64, cutTo);
    QFETCH(int, spoiledByte);

    QTemporaryDir folder;
    const PictureCache cache(folder.path());
    cache.insert(QStringLiteral("Image1"), picture(QSize(173, 91), Qt::red), QColor(Qt::white));
    const QStringList files = keptFiles(folder.path());
    QCOMPARE(files.size(), 1);
    QFile file(folder.filePath(files.first()));
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (cutTo >= 0)
        QVERIFY(file.resize(cutTo));
    if (spoiledByte >= 0) {
        QVERIFY(file.seek(spoiledByte));
        QVERIFY(file.write("\x7f", 1) == 1);
    }
    file.close();
    QVERIFY(cache.find(QStringLiteral("Image1"), QSize(173, 91), QColor(Qt::white)).isNull());
}

void TestPictureCache::olderArtworkAndOldestFilesAreClearedAway()
{
    QTemporaryDir folder;
    QFile older(folder.filePath(QStringLiteral("0123456789abcdef.1-Image1-10x10-00000000.pixels")));
    QVERIFY(older.open(QIODevice::WriteOnly));
    older.close();
    QFile unrelated(folder.filePath(QStringLiteral("notes.txt")));
    QVERIFY(unrelated.open(QIODevice::WriteOnly));
    unrelated.close();

    const PictureCache cache(folder.path());
    for (int i = 0; i < PictureCache::MaxFiles + 3; ++i)
        cache.insert(QStringLiteral("Image1"), picture(QSize(20 + i, 10), Qt::red), QColor());
    QVERIFY(!older.exists());
    QVERIFY(unrelated.exists());
    QCOMPARE(keptFiles(folder.path()).size(), PictureCache::MaxFiles);

    // Large pictures are bounded by their bytes before their number.
    const QSize large(2048, 2048); // 16 MB each
    for (int i = 0; i < 6; ++i)
        cache.insert(QStringLiteral("Image%1").arg(i), picture(large, Qt::blue), QColor());
    qint64 bytes = 0;
    for (const QString &file : keptFiles(folder.path()))
        bytes += QFileInfo(folder.filePath(file)).size();
    QVERIFY(bytes <= PictureCache::MaxBytes);
    QVERIFY(!cache.find(QStringLiteral("Image5"), large, QColor()).isNull());
}

void TestPictureCache::folderThatCannotBeWrittenKeepsNothing()
{
    QTemporaryDir folder;
    QFile inTheWay(folder.filePath(QStringLiteral("pictures")));
    QVERIFY(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    const PictureCache cache(inTheWay.fileName());
    cache.insert(QStringLiteral("Image1"), picture(QSize(30, 30), Qt::red), QColor());
    QVERIFY(cache.find(QStringLiteral("Image1"), QSize(30, 30), QColor()).isNull());

    const PictureCache none;
    none.insert(QStringLiteral("Image1"), picture(QSize(30, 30), Qt::red), QColor());
    QVERIFY(none.find(QStringLiteral("Image1"), QSize(30, 30), QColor()).isNull());
}

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"

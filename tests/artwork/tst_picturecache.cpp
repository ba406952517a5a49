// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturecache.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and link under the folder with its contents, to show that nothing changed.
QMap<QString, QByteArray> contentsUnder(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        contents.insert(info.filePath(),
            info.isSymLink() ? "link to " + info.symLinkTarget().toUtf8()
                             : readFile(info.filePath()));
    }
    return contents;
}

// What a user or another program may leave at a picture's name.
enum class InTheWay { LinkToUserFile, LinkToNowhere, Fifo, Folder };

const QString PictureName = QStringLiteral("Image1");
const QSize PictureSize(173, 91);

} // namespace

Q_DECLARE_METATYPE(InTheWay)

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
    void somethingAtAPicturesName_data();
    void somethingAtAPicturesName();
    void folderThatIsALink();
    void staleFilesGoAtTheFirstLook();
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
    QTest::newRow("a pixel changed") << qint64(-1) << 5000;
    QTest::newRow("the last byte changed") << qint64(-2) << -1;
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
    if (cutTo == -2)
        spoiledByte = int(file.size() - 1);
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

void TestPictureCache::somethingAtAPicturesName_data()
{
    QTest::addColumn<InTheWay>("inTheWay");
    QTest::addColumn<bool>("keptAfterwards");

    QTest::newRow("link to a user's file") << InTheWay::LinkToUserFile << true;
    QTest::newRow("link to nowhere") << InTheWay::LinkToNowhere << true;
    QTest::newRow("FIFO") << InTheWay::Fifo << true;
    QTest::newRow("folder") << InTheWay::Folder << false;
}

// Whatever sits at a picture's name is never read through, waited on or written through:
// the picture is drawn again, and its file takes the name's place where it can.
void TestPictureCache::somethingAtAPicturesName()
{
    QFETCH(InTheWay, inTheWay);
    QFETCH(bool, keptAfterwards);

    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("pictures"));
    const QString userFolder = root.filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(userFolder));
    const QString thesis = userFolder + QStringLiteral("/thesis.txt");
    QVERIFY(writeFile(thesis, "Chapter 1\n"));

    const PictureCache cache(folder);
    const QImage drawn = picture(PictureSize, Qt::red);
    cache.insert(PictureName, drawn, QColor(Qt::white));
    const QStringList files = keptFiles(folder);
    QCOMPARE(files.size(), 1);
    const QString path = folder + u'/' + files.first();
    QVERIFY(QFile::remove(path));
    switch (inTheWay) {
    case InTheWay::LinkToUserFile:
        QVERIFY(QFile::link(thesis, path));
        break;
    case InTheWay::LinkToNowhere:
        QVERIFY(QFile::link(userFolder + QStringLiteral("/new.txt"), path));
        break;
    case InTheWay::Fifo:
        if (QProcess::execute(QStringLiteral("mkfifo"), {path}) != 0)
            QSKIP("mkfifo is not available");
        break;
    case InTheWay::Folder:
        QVERIFY(QDir().mkdir(path));
        break;
    }
    const QMap<QString, QByteArray> userFiles = contentsUnder(userFolder);

    // A new cache object, as at the next start.
    const PictureCache next(folder);
    QVERIFY(next.find(PictureName, PictureSize, QColor(Qt::white)).isNull());
    next.insert(PictureName, drawn, QColor(Qt::white));
    QCOMPARE(contentsUnder(userFolder), userFiles);
    const QImage found = next.find(PictureName, PictureSize, QColor(Qt::white));
    QCOMPARE(found.isNull(), !keptAfterwards);
    if (keptAfterwards) {
        QCOMPARE(found, drawn);
        QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
    } else {
        QVERIFY(QFileInfo(path).isDir());
    }
}

// A link in the folder's own place leads into someone else's files: none of them is read,
// written or cleared away; the link gives way to a folder of the cache's own.
void TestPictureCache::folderThatIsALink()
{
    QTemporaryDir root;
    const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(elsewhere));
    const PictureCache there(elsewhere);
    const QImage drawn = picture(PictureSize, Qt::red);
    there.insert(PictureName, drawn, QColor());
    QVERIFY(
        writeFile(elsewhere + QStringLiteral("/0123456789abcdef.1-Image1-10x10-00000000.pixels"),
            "another version's picture"));
    QVERIFY(writeFile(elsewhere + QStringLiteral("/notes.txt"), "notes"));
    const QMap<QString, QByteArray> before = contentsUnder(elsewhere);

    const QString folder = root.filePath(QStringLiteral("pictures"));
    QVERIFY(QFile::link(elsewhere, folder));
    const PictureCache cache(folder);
    QVERIFY(cache.find(PictureName, PictureSize, QColor()).isNull());
    QCOMPARE(contentsUnder(elsewhere), before);

    cache.insert(QStringLiteral("Image2"), drawn, QColor());
    QCOMPARE(contentsUnder(elsewhere), before);
    QVERIFY(QFileInfo(folder).isDir() && !QFileInfo(folder).isSymLink());
    QCOMPARE(cache.find(QStringLiteral("Image2"), PictureSize, QColor()), drawn);
}

// A keypad that finds every picture it needs draws none, and so writes none: the files of
// other versions and those over the limits must still go, at its first look into the folder.
void TestPictureCache::staleFilesGoAtTheFirstLook()
{
    QTemporaryDir folder;
    const PictureCache cache(folder.path());
    const QImage drawn = picture(PictureSize, Qt::red);
    cache.insert(PictureName, drawn, QColor());
    constexpr int StaleFiles = 2000;
    for (int i = 0; i < StaleFiles; ++i) {
        QVERIFY(writeFile(
            folder.filePath(
                QStringLiteral("0123456789abcdef.1-Image%1-10x10-00000000.pixels").arg(i)),
            "stale"));
    }
    // The copy of a write cut short, and a file that is not the cache's.
    QVERIFY(writeFile(folder.filePath(keptFiles(folder.path()).first() + QStringLiteral(".a1B2c3")),
        "half written"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("notes.txt")), "notes"));

    const PictureCache next(folder.path());
    QCOMPARE(next.find(PictureName, PictureSize, QColor()), drawn);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
        (QStringList {keptFiles(folder.path()).first(), QStringLiteral("notes.txt")}));
}

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"

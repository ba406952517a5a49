// SPDX-License-Identifier: GPL-3.0-or-later

#include "imagecompare.h"
#include "layout.h"
#include "shapelist.h"
#include "signtable.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>

#ifdef ZP_HAVE_SVG
#include <QSvgRenderer>
#endif

using namespace Layout;

namespace {

QString str(const char *text)
{
    return QString::fromLatin1(text);
}

// The window's pictures are drawing commands; the program's icon is a bitmap.
QString assetFile(const QString &name)
{
    return QStringLiteral(ZP_ASSETS_DIR "/%1.shapes").arg(name);
}

QString iconFile()
{
    return QStringLiteral(ZP_ASSETS_DIR "/zp-client.png");
}

std::optional<ShapeList> readShapes(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ShapeList::fromBytes(in.readAll());
}

QImage loadIcon()
{
    return QImage(iconFile()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A picture drawn at the bitmap size the layout gives it, as a bitmap of that size held it.
// Premultiplied, so that every fully transparent pixel compares equal whatever colour lies
// under it.
QImage loadAsset(const QString &file, QSize size)
{
    const std::optional<ShapeList> shapes = readShapes(file);
    if (!shapes)
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    shapes->paint(painter);
    return image;
}

bool isHitArea(const Row &row)
{
    return row.kind == Kind::SpeedButton
        || (row.kind == Kind::Button && row.style == Style::TransparentCircle);
}

QList<const Row *> hitAreasOver(const Row &picture)
{
    QList<const Row *> areas;
    for (const Row &row : rows()) {
        if (picture.parent && isHitArea(row) && str(row.parent) == str(picture.parent)
            && row.rect.intersects(picture.rect))
            areas.append(&row);
    }
    return areas;
}

// The window stretches a bitmap to its picture's rectangle; this is the inverse mapping.
QRect inPixels(const Row &picture, const QRectF &rect)
{
    const qreal sx = picture.bitmap.width() / picture.rect.width();
    const qreal sy = picture.bitmap.height() / picture.rect.height();
    const QRectF mapped((rect.x() - picture.rect.x()) * sx, (rect.y() - picture.rect.y()) * sy,
        rect.width() * sx, rect.height() * sy);
    return mapped.toAlignedRect().intersected(QRect(QPoint(0, 0), picture.bitmap));
}

// A press on one of these sends a sign: the hit areas of the sign panels and chart panels,
// not the control grid's tiles, which lie straight on their screen.
bool isSignHitArea(const Row &row)
{
    if (row.kind != Kind::SpeedButton || !row.parent)
        return false;
    const Row *panel = find(str(row.parent));
    return panel && panel->kind == Kind::Panel && panel->parent;
}

bool sameGlyphs(const SignTable::Row &a, const SignTable::Row &b)
{
    const auto first = SignTable::glyphs(a);
    const auto second = SignTable::glyphs(b);
    return std::ranges::equal(first, second, [](const auto &x, const auto &y) {
        return qstrcmp(x.text, y.text) == 0 && x.place == y.place && x.ink == y.ink
            && x.size == y.size;
    });
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void programIconHasItsPixelSize();
    void pictureFitsItsDesignSize_data();
    void pictureFitsItsDesignSize();
    void scalableIconShowsTheBitmapIcon();
    void connectionPictureIsTransparentAroundIt_data();
    void connectionPictureIsTransparentAroundIt();
    void tileLiesUnderHitArea_data();
    void tileLiesUnderHitArea();
    void tilesOfAPictureDiffer_data();
    void tilesOfAPictureDiffer();
    void signHitAreaHasARow_data();
    void signHitAreaHasARow();
    void rowsNameSignHitAreas();
    void signsOfAPictureDiffer_data();
    void signsOfAPictureDiffer();
};

void TestAssets::programIconHasItsPixelSize()
{
    QCOMPARE(loadIcon().size(), QSize(256, 256));
}

void TestAssets::pictureFitsItsDesignSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");

    for (const Row *picture : pictures())
        QTest::newRow(picture->name) << assetFile(str(picture->name)) << picture->bitmap;
}

// The window stretches a picture from the bitmap size the layout gives it: one drawn for
// another size would come out shrunk into a corner or cut off.
void TestAssets::pictureFitsItsDesignSize()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);

    const std::optional<ShapeList> shapes = readShapes(file);
    QVERIFY2(shapes, qPrintable(file));
    const QRect drawn = shapes->boundingRect().toAlignedRect();
    QVERIFY2(QRect(QPoint(0, 0), size).adjusted(-2, -2, 2, 2).contains(drawn),
        qPrintable(QStringLiteral("drawn over %1,%2 %3x%4")
                       .arg(drawn.x())
                       .arg(drawn.y())
                       .arg(drawn.width())
                       .arg(drawn.height())));
    QVERIFY(drawn.width() >= size.width() * 3 / 4);
    QVERIFY(drawn.height() >= size.height() * 3 / 4);
}

// The SVG icon and the 256-pixel one are two renderings of one drawing: an SVG that lost its
// glyphs, or one file regenerated without the other, shows here.
void TestAssets::scalableIconShowsTheBitmapIcon()
{
#ifndef ZP_HAVE_SVG
    QSKIP("This build's Qt has no Svg module to render the SVG icon with");
#else
    const QImage bitmap = loadIcon();
    QSvgRenderer svg(QStringLiteral(ZP_ASSETS_DIR "/zp-client.svg"));
    QVERIFY(svg.isValid());
    QCOMPARE(svg.defaultSize(), bitmap.size());

    QImage drawn(bitmap.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();

    // Edges may be smoothed a little differently; a shape missing or moved is not.
    const int differing = differingPixels(drawn, bitmap, 64);
    QVERIFY2(differing <= drawn.width() * drawn.height() / 1000,
        qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
#endif
}

void TestAssets::connectionPictureIsTransparentAroundIt_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");

    for (const Row *picture : pictures()) {
        if (picture->kind == Kind::BitmapListAnimation)
            QTest::newRow(picture->name) << assetFile(str(picture->name)) << picture->bitmap;
    }
}

void TestAssets::connectionPictureIsTransparentAroundIt()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);

    const QImage image = loadAsset(file, size);
    QVERIFY2(!image.isNull(), qPrintable(file));
    const QRect all = image.rect();
    for (const QPoint corner : {all.topLeft(), all.topRight(), all.bottomLeft(), all.bottomRight()})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
    QCOMPARE(qAlpha(image.pixel(all.center())), 255);
}

void TestAssets::tileLiesUnderHitArea_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("area");

    for (const Row *picture : pictures()) {
        for (const Row *area : hitAreasOver(*picture)) {
            QTest::addRow("%s %s", picture->name, area->name) << assetFile(
                str(picture->name)) << picture->bitmap << inPixels(*picture, area->rect);
        }
    }
}

void TestAssets::tileLiesUnderHitArea()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QRect, area);

    const QImage image = loadAsset(file, size);
    QVERIFY2(!image.isNull(), qPrintable(file));
    // The top left corner shows the picture's ground: every tile keeps clear of it.
    const QRgb ground = image.pixel(0, 0);
    const QPoint centre = area.center();
    for (const QPoint offset :
        {QPoint(0, 0), QPoint(-2, 0), QPoint(2, 0), QPoint(0, -2), QPoint(0, 2)}) {
        const QPoint probe = centre + offset;
        QVERIFY2(image.pixel(probe) != ground,
            qPrintable(QStringLiteral("ground at (%1, %2)").arg(probe.x()).arg(probe.y())));
    }
}

void TestAssets::tilesOfAPictureDiffer_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<QRect>>("tiles");

    for (const Row *picture : pictures()) {
        const QList<const Row *> areas = hitAreasOver(*picture);
        if (areas.size() < 2)
            continue;
        QStringList names;
        QList<QRect> tiles;
        for (const Row *area : areas) {
            names.append(str(area->name));
            tiles.append(inPixels(*picture, area->rect));
        }
        QTest::newRow(picture->name)
            << assetFile(str(picture->name)) << picture->bitmap << names << tiles;
    }
}

void TestAssets::tilesOfAPictureDiffer()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QStringList, names);
    QFETCH(QList<QRect>, tiles);

    const QImage image = loadAsset(file, size);
    QVERIFY2(!image.isNull(), qPrintable(file));
    // Tiles differ in size by a pixel or two; compare the middles, where the signs are.
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        for (qsizetype j = i + 1; j < tiles.size(); ++j) {
            const QSize common(std::min(tiles[i].width(), tiles[j].width()) - 4,
                std::min(tiles[i].height(), tiles[j].height()) - 4);
            QRect middle(QPoint(0, 0), common);
            middle.moveCenter(tiles[i].center());
            const QImage first = image.copy(middle);
            middle.moveCenter(tiles[j].center());
            const QImage second = image.copy(middle);
            QVERIFY2(first != second, qPrintable(names[i] + QStringLiteral(" = ") + names[j]));
        }
    }
}

void TestAssets::signHitAreaHasARow_data()
{
    QTest::addColumn<QString>("command");

    for (const Row &row : rows()) {
        if (isSignHitArea(row))
            QTest::newRow(row.name) << str(row.name);
    }
}

void TestAssets::signHitAreaHasARow()
{
    QFETCH(QString, command);

    const SignTable::Row *sign = SignTable::find(command);
    QVERIFY(sign);
    QVERIFY(!SignTable::glyphs(*sign).empty());
    QVERIFY(!QString::fromUtf8(sign->greek).trimmed().isEmpty());
    QVERIFY(!QString::fromUtf8(sign->latin).trimmed().isEmpty());
}

void TestAssets::rowsNameSignHitAreas()
{
    QSet<QString> seen;
    for (const SignTable::Row &sign : SignTable::rows()) {
        const QString command = str(sign.command);
        const Row *row = find(command);
        QVERIFY2(row, qPrintable(command + QStringLiteral(": no such control")));
        QVERIFY2(isSignHitArea(*row), qPrintable(command + QStringLiteral(": not a sign")));
        QVERIFY2(!seen.contains(command), qPrintable(command + QStringLiteral(": listed twice")));
        seen.insert(command);
    }
}

void TestAssets::signsOfAPictureDiffer_data()
{
    QTest::addColumn<QStringList>("commands");

    for (const Row *picture : pictures()) {
        QStringList commands;
        for (const Row *area : hitAreasOver(*picture)) {
            if (isSignHitArea(*area))
                commands.append(str(area->name));
        }
        if (commands.size() > 1)
            QTest::newRow(picture->name) << commands;
    }
}

// Tiles of different colours showing the same glyphs would pass the pixel comparison; a
// cantor would still see two equal signs.
void TestAssets::signsOfAPictureDiffer()
{
    QFETCH(QStringList, commands);

    QList<const SignTable::Row *> signs;
    for (const QString &command : commands) {
        if (const SignTable::Row *sign = SignTable::find(command))
            signs.append(sign);
    }
    for (qsizetype i = 0; i < signs.size(); ++i) {
        for (qsizetype j = i + 1; j < signs.size(); ++j) {
            QVERIFY2(!sameGlyphs(*signs[i], *signs[j]),
                qPrintable(
                    str(signs[i]->command) + QStringLiteral(" = ") + str(signs[j]->command)));
        }
    }
}

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"

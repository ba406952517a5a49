// SPDX-License-Identifier: GPL-3.0-or-later

#include "artwork.h"
#include "imagecompare.h"
#include "layout.h"
#include "layoutjson.h"
#include "pagefiles.h"
#include "shapelist.h"
#include "shapesvg.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>

namespace {

QImage draw(QSvgRenderer &renderer, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// The rectangle a sheet's view shows, as a browser reads it from "sheet.svg#name"; empty when
// the sheet has no such view.
QRectF viewBox(const QByteArray &sheet, const QString &name)
{
    const QRegularExpression view(
        QStringLiteral(R"re(<view id="%1" viewBox="([-\d.]+) ([-\d.]+) ([\d.]+) ([\d.]+)")re")
            .arg(name));
    const QRegularExpressionMatch match = view.match(QString::fromUtf8(sheet));
    if (!match.hasMatch())
        return {};
    return QRectF(match.captured(1).toDouble(), match.captured(2).toDouble(),
        match.captured(3).toDouble(), match.captured(4).toDouble());
}

} // namespace

// What a browser draws from a picture's SVG is what the window draws from its shapes: every
// picture drawn both ways, at twice its design size, where a coordinate off by a sixteenth of
// a pixel, a gradient in the wrong space or a lost curve shows.
class tst_ShapeSvg : public QObject
{
    Q_OBJECT

private slots:
    void drawsAsTheShapes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("designSize");
        for (const Layout::Row *row : Layout::pictures())
            QTest::newRow(row->name) << QString::fromLatin1(row->name) << row->bitmap;
    }
    void drawsAsTheShapes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, designSize);
        const Artwork picture = Artwork::load(name, designSize);
        if (picture.isNull())
            QSKIP("No artwork for this picture");
        const QByteArray svg = ShapeSvg::document(*picture.shapes(), designSize);
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(QPoint(0, 0), designSize));

        const QSize size = designSize * 2;
        QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        renderer.render(&painter);
        painter.end();
        const QImage expected
            = picture.render(size).convertToFormat(QImage::Format_ARGB32_Premultiplied);

        const int differing = differingPixels(drawn, expected, 8);
        // The same outlines drawn through another path of the painter may round a few edge
        // pixels apart; a coordinate a sixteenth off moves whole edges.
        QVERIFY2(differing <= size.width() * size.height() / 100,
            qPrintable(QStringLiteral("%1 of %2 pixels differ")
                           .arg(differing)
                           .arg(size.width() * size.height())));
    }

    // Every distinct gradient is defined once, and nothing is rounded to get there.
    void sharedGradientsAndWholeNumbers()
    {
        ShapeList shapes;
        QLinearGradient gradient(QPointF(1.5, 0), QPointF(1.5, 10));
        gradient.setColorAt(0, Qt::white);
        gradient.setColorAt(1, Qt::red);
        QPainterPath first;
        first.addRect(QRectF(0.0625, 0.125, 10, 5));
        QPainterPath second;
        second.moveTo(20, 2);
        second.cubicTo(QPointF(21.5, -3.25), QPointF(24, 0), QPointF(25.5, 2));
        shapes.shapes = {{first, QBrush(gradient)}, {second, QBrush(gradient)},
            {first, QBrush(QColor(0, 0, 255, 128))}};
        const QByteArray svg = ShapeSvg::document(shapes, {32, 16});
        QCOMPARE(svg.count("<linearGradient"), 1);
        QCOMPARE(svg.count("fill=\"url(#g0)\""), 2);
        // The rectangle from (0.0625, 0.125), in sixteenths: 1 2, then steps of 160 and 80.
        QVERIFY2(svg.contains("d=\"m1 2l160 0 0 80-160 0 0-80\""), svg.constData());
        // The curve's points measured from where it starts, (320, 32).
        QVERIFY2(svg.contains("d=\"m320 32c24-84 64-32 88 0\""), svg.constData());
        QVERIFY(svg.contains("x1=\"24\" y1=\"0\" x2=\"24\" y2=\"160\""));
        QVERIFY(svg.contains("fill=\"#0000ff\" fill-opacity=\"0.5\""));
    }

    // A point in the middle of a straight edge, or the same point twice, is left out; a
    // point where the outline turns back along its own line is not.
    void pointsThatChangeNoEdge()
    {
        QPainterPath path;
        path.moveTo(0, 0);
        for (const QPointF &p : {QPointF(1, 0), QPointF(2, 0), QPointF(2, 0), QPointF(2, 1),
                 QPointF(3, 1), QPointF(2.5, 1), QPointF(0, 1)})
            path.lineTo(p);
        ShapeList shapes;
        shapes.shapes = {{path, QBrush(Qt::black)}};
        const QByteArray svg = ShapeSvg::document(shapes, {4, 2});
        QVERIFY2(svg.contains("d=\"m0 0l32 0 0 16 16 0-48 0\""), svg.constData());
    }

    // The first screen's pictures come as views of one sheet: each view shows its picture as
    // the picture's own document does, its gradients its own and no neighbour in it.
    void sheetViewsDrawAsTheirPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("designSize");
        for (const Layout::Row *row : Layout::pictures())
            if (LayoutJson::showsAtStart(*row))
                QTest::newRow(row->name) << QString::fromLatin1(row->name) << row->bitmap;
    }
    void sheetViewsDrawAsTheirPictures()
    {
        QFETCH(QString, name);
        QFETCH(QSize, designSize);
        static const QByteArray sheet = [] {
            for (const PageFiles::File &file : PageFiles::all())
                if (file.path == LayoutJson::StartSheet)
                    return file.body;
            return QByteArray();
        }();
        QVERIFY(!sheet.isEmpty());
        const Artwork picture = Artwork::load(name, designSize);
        if (picture.isNull())
            QSKIP("No artwork for this picture");

        const QRectF box = viewBox(sheet, name);
        QCOMPARE(box.size(), QSizeF(designSize));
        QSvgRenderer fromSheet(sheet);
        QVERIFY(fromSheet.isValid());
        fromSheet.setViewBox(box);
        QSvgRenderer own(ShapeSvg::document(*picture.shapes(), designSize));
        const QSize size = designSize * 2;
        const int differing = differingPixels(draw(fromSheet, size), draw(own, size), 8);
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    }

    // What a picture draws beyond its rectangle, which its own document cuts off, must not
    // reach into the view of the picture stacked before it, nor the one after.
    void sheetKeepsOverflowOutOfOtherViews()
    {
        QPainterPath corner;
        corner.addRect(QRectF(0, 0, 3, 3));
        QPainterPath tall; // in a 10 by 10 picture, from 6 above it to 6 below
        tall.addRect(QRectF(2, -6, 6, 22));
        ShapeList small;
        small.shapes = {{corner, QBrush(Qt::blue)}};
        ShapeList overflowing;
        overflowing.shapes = {{tall, QBrush(Qt::red)}};
        const QByteArray sheet = ShapeSvg::sheet({{"before", &small, {10, 10}},
            {"overflowing", &overflowing, {10, 10}}, {"after", &small, {10, 10}}});
        QSvgRenderer renderer(sheet);
        QVERIFY(renderer.isValid());
        const auto viewed = [&](const char *name) {
            const QRectF box = viewBox(sheet, QString::fromLatin1(name));
            renderer.setViewBox(box);
            return box.size() == QSizeF(10, 10) ? draw(renderer, {40, 40}) : QImage();
        };
        const QImage before = viewed("before");
        const QImage middle = viewed("overflowing");
        const QImage after = viewed("after");
        QVERIFY(!before.isNull() && !middle.isNull() && !after.isNull());
        QCOMPARE(before.pixelColor(4, 4), QColor(Qt::blue));
        QCOMPARE(middle.pixelColor(20, 20), QColor(Qt::red));
        QCOMPARE(middle.pixelColor(20, 1).alpha(), 255); // the bar fills its height
        QCOMPARE(middle.pixelColor(2, 20).alpha(), 0);
        // Where the bar would pass were it not kept apart.
        QCOMPARE(before.pixelColor(20, 38).alpha(), 0);
        QCOMPARE(before.pixelColor(20, 20).alpha(), 0);
        QCOMPARE(after.pixelColor(20, 1).alpha(), 0);
        QCOMPARE(after.pixelColor(20, 20).alpha(), 0);
    }
};

QTEST_MAIN(tst_ShapeSvg)
#include "tst_shapesvg.moc"

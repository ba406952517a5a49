// SPDX-License-Identifier: GPL-3.0-or-later

#include "artwork.h"
#include "imagecompare.h"
#include "layout.h"
#include "shapelist.h"
#include "shapesvg.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

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
};

QTEST_MAIN(tst_ShapeSvg)
#include "tst_shapesvg.moc"

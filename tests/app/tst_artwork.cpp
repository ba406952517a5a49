// SPDX-License-Identifier: GPL-3.0-or-later
#include "artwork.h"
#include "layout.h"
#include "windowfixture.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Layout;

namespace {

// Mean difference per channel, 0 to 255, of two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage first = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int y = 0; y < first.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            sum += std::abs(qRed(p[x]) - qRed(q[x])) + std::abs(qGreen(p[x]) - qGreen(q[x]))
                + std::abs(qBlue(p[x]) - qBlue(q[x])) + std::abs(qAlpha(p[x]) - qAlpha(q[x]));
        }
    }
    return sum / (4.0 * first.width() * first.height());
}

// What a bitmap of the design size cannot hold: the image shrunk to that size and enlarged
// back differs from it by this much. An image that was only an enlarged bitmap comes back
// almost unchanged: the filters alone lose 1 to 4 of 255, a picture drawn at its size about
// twice to three times as much.
double detailLost(const QImage &image, QSize design)
{
    const QImage shrunk = image.scaled(design, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return meanDifference(
        image, shrunk.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// Mean difference per channel, 0 to 255, over the pixels where the picture is opaque: its
// transparent corners show whatever lies beneath.
double opaqueDifference(const QImage &shown, const QImage &picture)
{
    const QImage first = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage second = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    qint64 count = 0;
    for (int y = 0; y < second.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < second.width(); ++x) {
            if (qAlpha(q[x]) < 255)
                continue;
            sum += std::abs(qRed(p[x]) - qRed(q[x])) + std::abs(qGreen(p[x]) - qGreen(q[x]))
                + std::abs(qBlue(p[x]) - qBlue(q[x]));
            ++count;
        }
    }
    return count ? sum / (3.0 * count) : 0;
}

QImage enlarged(const QImage &image, QSize size)
{
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_window = std::make_unique<WindowFixture>(); }
    void cleanupTestCase() { m_window.reset(); }
    void loads_data();
    void loads();
    void drawnFinerThanItsBitmap_data();
    void drawnFinerThanItsBitmap();
    void windowDrawsPicturesInDevicePixels_data();
    void windowDrawsPicturesInDevicePixels();

private:
    std::unique_ptr<WindowFixture> m_window; // one 4K window for every picture
};

void TestArtwork::loads_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("design");
    QTest::addColumn<bool>("found");

    QTest::newRow("a chart picture") << "Image1" << QSize(180, 160) << true;
    QTest::newRow("a connection picture") << "BitmapListAnimation1" << QSize(128, 128) << true;
    QTest::newRow("no such picture") << "Image99" << QSize(180, 160) << false;
    QTest::newRow("no design size") << "Image1" << QSize() << false;
}

void TestArtwork::loads()
{
    QFETCH(QString, name);
    QFETCH(QSize, design);
    QFETCH(bool, found);

    const Artwork artwork = Artwork::load(name, design);
    QCOMPARE(!artwork.isNull(), found);
    if (!found)
        return;
    QCOMPARE(artwork.designSize(), design);
    const QImage drawn = artwork.render(QSize(500, 300), Qt::white);
    QCOMPARE(drawn.size(), QSize(500, 300));
    // Two loads of one picture are two pictures: an image control tells its frames apart.
    QVERIFY(!(artwork == Artwork::load(name, design)));
    QVERIFY(artwork == artwork);
}

void TestArtwork::drawnFinerThanItsBitmap_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("design");

    for (const Row *row : pictures())
        QTest::newRow(row->name) << QString::fromLatin1(row->name) << row->bitmap;
}

void TestArtwork::drawnFinerThanItsBitmap()
{
    QFETCH(QString, name);
    QFETCH(QSize, design);

    const Artwork artwork = Artwork::load(name, design);
    QVERIFY(!artwork.isNull());
    const QSize large = design * 4;
    const QImage sharp = artwork.render(large, Qt::white);
    const QImage stretched = enlarged(artwork.render(design, Qt::white), large);
    const double lostSharp = detailLost(sharp, design);
    const double lostStretched = detailLost(stretched, design);
    QVERIFY2(lostSharp > 1.5 * lostStretched,
        qPrintable(QStringLiteral("detail lost: %1 drawn large, %2 enlarged")
                       .arg(lostSharp)
                       .arg(lostStretched)));
}

// The pictures of the main screen as a 4K screen shows them, pixel for pixel what the
// picture draws at the size it covers. Run again with the toolkit's scale factor at 2, where
// the window's 1920 x 1080 units are 3840 x 2160 pixels.
void TestArtwork::windowDrawsPicturesInDevicePixels_data()
{
    QTest::addColumn<QString>("name");

    // The pictures shown at start that nothing else is drawn over (the status picture lies
    // over the control grid).
    for (const Row *row : pictures()) {
        const QString name = QString::fromLatin1(row->name);
        const bool covered = std::ranges::any_of(rows(), [row](const Row &other) {
            if (other.kind != Kind::ImageControl)
                return false;
            // On the picture's panel, or on a button that lies on it.
            const Row *holder = find(QString::fromLatin1(other.parent));
            const QRectF where = qstrcmp(other.parent, row->parent) == 0 ? other.rect
                : holder && qstrcmp(holder->parent, row->parent) == 0    ? holder->rect
                                                                         : QRectF();
            return where.intersects(row->rect);
        });
        if (row->kind == Kind::Image && !covered && m_window->window->item(name)->isVisible())
            QTest::newRow(row->name) << name;
    }
}

void TestArtwork::windowDrawsPicturesInDevicePixels()
{
    QFETCH(QString, name);

    const WindowFixture &w = *m_window;
    const qreal ratio = w->devicePixelRatioF();
    const QSize pixels(3840, 2160);
    w->resize((QSizeF(pixels) / ratio).toSize());
    const QImage screen = w->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(screen.size(), pixels);

    const Row *row = find(name);
    QGraphicsItem *picture = w->item(name);
    const QRectF mapped = (w->viewportTransform() * QTransform::fromScale(ratio, ratio))
                              .mapRect(picture->sceneBoundingRect());
    const QRect device(QPoint(qRound(mapped.left()), qRound(mapped.top())),
        QSize(qRound(mapped.width()), qRound(mapped.height())));
    const Artwork artwork = Artwork::load(name, row->bitmap);

    // What the screen shows is the picture drawn at the size it covers there, not a smaller
    // drawing enlarged: the design's bitmap, or the picture in the window's units on a denser
    // screen. The enlarged one is held to the same measure, to show that the measure tells.
    const QImage sharp = artwork.render(device.size());
    const double fromSharp = opaqueDifference(screen.copy(device), sharp);
    QVERIFY2(fromSharp < 0.5, qPrintable(QStringLiteral("differs by %1").arg(fromSharp)));
    const QSize coarse = ratio > 1 ? (QSizeF(device.size()) / ratio).toSize() : row->bitmap;
    QVERIFY(opaqueDifference(enlarged(artwork.render(coarse), device.size()), sharp) > 1);

    // Every sign's tile lies under its hit area: the middle of each hit area shows the tile,
    // not the chart's ground.
    const QRgb ground = screen.pixel(device.topLeft() + QPoint(1, 1));
    for (const Row &area : rows()) {
        if (area.kind != Kind::SpeedButton || qstrcmp(area.parent, row->parent) != 0
            || !area.rect.intersects(row->rect))
            continue;
        const QPoint pixel = w.centreOf(QString::fromLatin1(area.name)) * ratio;
        QVERIFY2(screen.pixel(pixel) != ground,
            qPrintable(QStringLiteral("%1: ground at %2, %3")
                           .arg(QString::fromLatin1(area.name))
                           .arg(pixel.x())
                           .arg(pixel.y())));
    }
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"

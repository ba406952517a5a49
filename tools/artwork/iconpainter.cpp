// SPDX-License-Identifier: GPL-3.0-or-later

#include "iconpainter.h"

#include "chartpainter.h"
#include "picturegeometry.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <functional>

namespace {

using Icon = std::function<void(QPainter &)>; // draws into a 100 x 100 square

const QColor ink(0x2F, 0x3B, 0x45);
const QColor iconGreen(0x2E, 0x9D, 0x3A);

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

QPen roundPen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath rotated(const QPainterPath &path, qreal degrees)
{
    QTransform turn;
    turn.translate(50, 50);
    turn.rotate(degrees);
    turn.translate(-50, -50);
    return turn.map(path);
}

void drawTools(QPainter &painter)
{
    // An open-ended wrench lying along the x axis, its jaw at the right.
    QPainterPath wrench;
    wrench.addRoundedRect(QRectF(18, 44, 58, 12), 6, 6);
    QPainterPath head;
    head.addEllipse(QPointF(80, 50), 15, 15);
    head.addEllipse(QPointF(17, 50), 10, 10);
    wrench = wrench.united(head);
    QPainterPath jaw;
    jaw.addRect(QRectF(80, 44.5, 20, 11));
    jaw.addEllipse(QPointF(80, 50), 5.5, 5.5);
    QPainterPath eye;
    eye.addEllipse(QPointF(17, 50), 4.5, 4.5);
    wrench = wrench.subtracted(jaw).subtracted(eye);

    // A screwdriver lying along the x axis, its tip at the right.
    QPainterPath handle;
    handle.addRoundedRect(QRectF(6, 40, 38, 20), 8, 8);
    QPainterPath shaft
        = polygon({{44, 46.5}, {84, 46.5}, {94, 48.5}, {94, 51.5}, {84, 53.5}, {44, 53.5}});

    QLinearGradient steel(0, 30, 0, 70);
    steel.setColorAt(0, QColor(0xCF, 0xD8, 0xDC));
    steel.setColorAt(1, QColor(0x78, 0x90, 0x9C));

    painter.setPen(QPen(QColor(0x37, 0x47, 0x4F), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(steel);
    painter.drawPath(rotated(shaft, 45));
    painter.setBrush(QColor(0xE6, 0x5C, 0x1A));
    painter.setPen(QPen(QColor(0x8A, 0x2B, 0x00), 2.2));
    painter.drawPath(rotated(handle, 45));
    painter.setPen(QPen(QColor(0x8A, 0x2B, 0x00), 1.6));
    for (qreal x : {16.0, 24.0, 32.0}) {
        QPainterPath ridge;
        ridge.moveTo(x, 43);
        ridge.lineTo(x, 57);
        painter.drawPath(rotated(ridge, 45));
    }
    painter.setPen(QPen(QColor(0x37, 0x47, 0x4F), 2.2));
    painter.setBrush(steel);
    painter.drawPath(rotated(wrench, -45));
}

void drawSpaceBar(QPainter &painter)
{
    painter.setPen(roundPen(iconGreen, 10));
    painter.drawPolyline(QPolygonF({{12, 38}, {12, 66}, {88, 66}, {88, 38}}));
}

void drawPower(QPainter &painter)
{
    const QRectF ring(20, 24, 60, 60);
    for (const auto &[colour, width] :
        {std::pair(QColor(0x0B, 0x4D, 0x18), 15.0), std::pair(QColor(0x5B, 0xF0, 0x7A), 9.0)}) {
        painter.setPen(roundPen(colour, width));
        painter.drawArc(ring, 120 * 16, 300 * 16);
        painter.drawLine(QPointF(50, 12), QPointF(50, 50));
    }
}

void drawEnter(QPainter &painter)
{
    painter.setPen(roundPen(QColor(0x6B, 0x72, 0x80), 5));
    painter.drawLine(QPointF(8, 84), QPointF(92, 84));
    painter.setPen(roundPen(iconGreen, 10));
    painter.drawPolyline(QPolygonF({{80, 12}, {80, 62}, {34, 62}}));
    painter.setPen(roundPen(iconGreen, 4));
    painter.setBrush(iconGreen);
    painter.drawPath(polygon({{12, 62}, {36, 44}, {36, 80}}));
}

void drawBackspace(QPainter &painter)
{
    painter.setPen(roundPen(ink, 6));
    painter.setBrush(Qt::white);
    painter.drawPath(polygon({{6, 50}, {32, 20}, {94, 20}, {94, 80}, {32, 80}}));
    painter.setPen(roundPen(QColor(0xC6, 0x12, 0x1E), 8));
    painter.drawLine(QPointF(50, 36), QPointF(76, 64));
    painter.drawLine(QPointF(76, 36), QPointF(50, 64));
}

void drawMove(QPainter &painter)
{
    const QColor blue(0x1F, 0x4E, 0x79);
    painter.setPen(roundPen(blue, 8));
    painter.drawLine(QPointF(50, 20), QPointF(50, 80));
    painter.drawLine(QPointF(20, 50), QPointF(80, 50));
    painter.setPen(roundPen(blue, 3));
    painter.setBrush(blue);
    const QPainterPath head = polygon({{50, 4}, {64, 22}, {36, 22}});
    for (qreal degrees : {0, 90, 180, 270})
        painter.drawPath(rotated(head, degrees));
}

void drawDots(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    for (qreal x : {20.0, 50.0, 80.0}) {
        QRadialGradient shading(QPointF(x - 3, 46), 13);
        shading.setColorAt(0, QColor(0x6C, 0xB4, 0xFF));
        shading.setColorAt(1, QColor(0x15, 0x5F, 0xC8));
        painter.setBrush(shading);
        painter.drawEllipse(QPointF(x, 50), 11, 11);
    }
}

void drawLines(QPainter &painter)
{
    painter.setPen(roundPen(ink, 7));
    for (qreal y : {24.0, 41.0, 58.0, 75.0})
        painter.drawLine(QPointF(14, y), QPointF(86, y));
}

void drawDiscArrow(QPainter &painter, bool left)
{
    QLinearGradient shading(0, 10, 0, 90);
    shading.setColorAt(0, QColor(0xC4, 0xC9, 0xCE));
    shading.setColorAt(1, QColor(0x86, 0x8E, 0x96));
    painter.setPen(QPen(QColor(0x5F, 0x67, 0x6F), 2.5));
    painter.setBrush(shading);
    painter.drawEllipse(QPointF(50, 50), 42, 42);

    QPainterPath arrow
        = polygon({{18, 50}, {46, 24}, {46, 40}, {80, 40}, {80, 60}, {46, 60}, {46, 76}});
    if (!left)
        arrow = rotated(arrow, 180);
    painter.setPen(roundPen(Qt::white, 3));
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
}

// The tile of an icon: light, except the power tile, which is red.
void drawTile(QPainter &painter, const QRectF &tile, bool red)
{
    QLinearGradient shading(tile.topLeft(), tile.bottomLeft());
    shading.setColorAt(0, red ? QColor(0xEF, 0x53, 0x50) : QColor(0xFD, 0xFD, 0xFC));
    shading.setColorAt(1, red ? QColor(0xB7, 0x1C, 0x1C) : QColor(0xE2, 0xE4, 0xE6));
    painter.setPen(QPen(red ? QColor(0x7F, 0x00, 0x00) : QColor(0x9A, 0x9E, 0xA3), 1.2));
    painter.setBrush(shading);
    painter.drawRoundedRect(tile, 7, 7);
}

void inSquare(QPainter &painter, const QRectF &square, const Icon &icon)
{
    painter.save();
    painter.translate(square.topLeft());
    painter.scale(square.width() / 100, square.height() / 100);
    icon(painter);
    painter.restore();
}

QRectF centredSquare(const QRectF &rect, qreal fraction)
{
    const qreal side = std::min(rect.width(), rect.height()) * fraction;
    return {rect.center().x() - side / 2, rect.center().y() - side / 2, side, side};
}

void drawMonitor(QPainter &painter, const QRectF &screen)
{
    const QColor bezel(0x37, 0x47, 0x4F);
    const qreal stemX = screen.center().x();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x54, 0x6E, 0x7A));
    painter.drawRect(QRectF(stemX - 5, screen.bottom() + 3, 10, 9));
    painter.drawRoundedRect(QRectF(stemX - 17, screen.bottom() + 11, 34, 6), 3, 3);
    painter.setBrush(bezel);
    painter.drawRoundedRect(screen.adjusted(-4, -4, 4, 4), 4, 4);
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0, QColor(0xBB, 0xDE, 0xFB));
    glass.setColorAt(1, QColor(0x1E, 0x88, 0xE5));
    painter.setBrush(glass);
    painter.drawRect(screen);
}

} // namespace

IconPainter::IconPainter(const GlyphPainter &glyphs)
    : m_glyphs(glyphs)
{ }

void IconPainter::controlGrid(QPainter &painter, const Layout::Row &picture) const
{
    const QPointF units = PictureGeometry::unitsPerPixel(picture);
    const auto martyria = [this](QPainter &painter) {
        const SignTable::Glyph sign[]
            = {{"\U0001D0E9", SignTable::Place::Next, SignTable::Ink::Red},
                {"\U0001D0A2", SignTable::Place::Below, SignTable::Ink::Red}};
        const QList<GlyphPainter::Part> parts = m_glyphs.compose(sign);
        const QRectF box(4, 4, 92, 92);
        GlyphPainter::paint(
            painter, parts, box, {1, 1}, GlyphPainter::fitScale(parts, box, {1, 1}, 4), 2.5);
    };
    const auto letterC = [this](QPainter &painter) {
        const QList<GlyphPainter::Part> letter {
            {m_glyphs.boldOutline(QStringLiteral("C")), SignTable::Ink::Black}};
        // Faint: the connection picture is drawn over it and must stay the clearer of the two.
        painter.setOpacity(0.35);
        const QRectF box(2, 2, 96, 96);
        GlyphPainter::paint(
            painter, letter, box, {1, 1}, GlyphPainter::fitScale(letter, box, {1, 1}, 3), 0);
    };
    const QHash<QString, Icon> icons {
        {QStringLiteral("rythmiseisshow"), drawTools},
        {QStringLiteral("SpeedButton15"), drawSpaceBar},
        {QStringLiteral("con_SpeedButton"), letterC},
        {QStringLiteral("off"), drawPower},
        {QStringLiteral("martyriesshow"), martyria},
        {QStringLiteral("SpeedButton14"), drawEnter},
        {QStringLiteral("SpeedButton35"), drawBackspace},
        {QStringLiteral("move_client"), drawMove},
        {QStringLiteral("diaforashow"), drawDots},
        {QStringLiteral("n5"), drawLines},
        {QStringLiteral("SpeedButton25"), [](QPainter &p) { drawDiscArrow(p, true); }},
        {QStringLiteral("SpeedButton31"), [](QPainter &p) { drawDiscArrow(p, false); }},
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Draw in the picture's units: the bitmap is stretched back to them on screen.
    painter.scale(1 / units.x(), 1 / units.y());
    for (const Layout::Row *area : PictureGeometry::hitAreas(picture)) {
        const QString name = QString::fromLatin1(area->name);
        const QRectF tile = area->rect.translated(-picture.rect.topLeft()).adjusted(1, 1, -1, -1);
        drawTile(painter, tile, name == u"off");
        if (const auto icon = icons.constFind(name); icon != icons.cend())
            inSquare(painter, centredSquare(tile, 0.8), *icon);
    }
    painter.restore();
}

void IconPainter::moveArrow(QPainter &painter, QSize size, bool left)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 100.0, size.height() / 100.0);

    QRadialGradient shading(QPointF(42, 36), 58);
    shading.setColorAt(0, QColor(0x7E, 0xE0, 0x8A));
    shading.setColorAt(1, QColor(0x23, 0x84, 0x30));
    painter.setPen(QPen(QColor(0x17, 0x5E, 0x22), 2.5));
    painter.setBrush(shading);
    painter.drawEllipse(QPointF(50, 50), 46, 46);

    QPainterPath arrow
        = polygon({{16, 50}, {46, 20}, {46, 38}, {82, 38}, {82, 62}, {46, 62}, {46, 80}});
    if (!left)
        arrow = rotated(arrow, 180);
    painter.setPen(roundPen(Qt::white, 4));
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
    painter.restore();
}

void IconPainter::connection(QPainter &painter, QSize size, bool connected)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 128.0, size.height() / 128.0);

    drawMonitor(painter, QRectF(8, 14, 62, 42));
    drawMonitor(painter, QRectF(54, 54, 62, 42));
    if (!connected) {
        painter.setPen(QPen(Qt::white, 4));
        painter.setBrush(QColor(0xE5, 0x39, 0x35));
        painter.drawEllipse(QPointF(100, 29), 23, 23);
        painter.setPen(roundPen(Qt::white, 7));
        painter.drawLine(QPointF(91, 20), QPointF(109, 38));
        painter.drawLine(QPointF(109, 20), QPointF(91, 38));
    }
    painter.restore();
}

void IconPainter::programIcon(QPainter &painter, QSize size) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 256.0, size.height() / 256.0);

    QLinearGradient ground(0, 0, 0, 256);
    ground.setColorAt(0, QColor(0x9A, 0x20, 0x30));
    ground.setColorAt(1, QColor(0x5A, 0x0E, 0x18));
    painter.setPen(QPen(QColor(0xD8, 0xB4, 0x4A), 6));
    painter.setBrush(ground);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    using SignTable::Glyph;
    using enum SignTable::Place;
    const Glyph ascent[] = {{"\U0001D047"}, {"\U0001D050", AboveEnd}};
    const Glyph phthora[] = {{"\U0001D0BA", Next, SignTable::Ink::Red}};
    const Glyph martyria[]
        = {{"\U0001D0E9", Next, SignTable::Ink::Teal}, {"\U0001D0A2", Below, SignTable::Ink::Teal}};
    const Glyph gorgon[] = {{"\U0001D047", Next, SignTable::Ink::Red},
        {"\U0001D08F", Above, SignTable::Ink::Black, 1.6f}};
    const std::pair<std::span<const Glyph>, SignTable::Tile> tiles[] = {
        {ascent, SignTable::Tile::Blue},
        {phthora, SignTable::Tile::PaleYellow},
        {martyria, SignTable::Tile::White},
        {gorgon, SignTable::Tile::LightBlue},
    };
    for (int i = 0; i < 4; ++i) {
        const QRectF tile(34 + (i % 2) * 98, 34 + (i / 2) * 98, 90, 90);
        const QColor colour = ChartPainter::tileColour(tiles[i].second);
        QLinearGradient shading(tile.topLeft(), tile.bottomLeft());
        shading.setColorAt(0, colour.lighter(110));
        shading.setColorAt(1, colour);
        painter.setPen(QPen(colour.darker(160), 2));
        painter.setBrush(shading);
        painter.drawRoundedRect(tile, 14, 14);
        const QList<GlyphPainter::Part> parts = m_glyphs.compose(tiles[i].first);
        const QRectF box = tile.adjusted(14, 14, -14, -14);
        GlyphPainter::paint(
            painter, parts, box, {1, 1}, GlyphPainter::fitScale(parts, box, {1, 1}, 3), 2.5);
    }
    painter.restore();
}

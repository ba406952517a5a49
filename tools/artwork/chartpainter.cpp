// SPDX-License-Identifier: GPL-3.0-or-later

#include "chartpainter.h"

#include "picturegeometry.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

// How a picture is drawn. Sizes are in screen design units, so that tiles look alike
// however much their bitmap is stretched.
struct Look
{
    const char *picture = nullptr;
    QColor ground = Qt::transparent;
    qreal inset = 1.5; // between a hit area's edge and its tile's
    qreal radius = 5;
    qreal padding = 4; // between a tile's edge and its sign
    qreal glyphSize = 2.2; // cap on a glyph's font size, in tile heights
    qreal weight = 0.9; // added to every stroke of a sign, so that hairlines survive
    QColor frame; // the tile's outline; invalid: a shade of the tile colour
    bool uniform = false; // one size for the signs of a row, the smallest that fits them all
    bool uniformText = false; // the same for the row's words and letters only
};

const Look looks[] = {
    {.picture = "Image14", .padding = 3, .glyphSize = 2.4, .uniform = true},
    {.picture = "Image10", .padding = 2.5, .glyphSize = 2.4, .uniform = true},
    {.picture = "Image8", .padding = 4, .glyphSize = 2.8, .uniform = true},
    {.picture = "Image13", .padding = 3, .uniform = true},
    {.picture = "Image15", .padding = 4, .glyphSize = 2.6, .uniform = true},
    {.picture = "Image11", .padding = 4, .glyphSize = 2.6, .uniform = true},
    {.picture = "Image7", .inset = 1, .padding = 3.5, .glyphSize = 2.2},
    {.picture = "Image5", .padding = 3.5, .glyphSize = 2.4},
    {.picture = "Image16", .padding = 3.5, .glyphSize = 3.4},
    {.picture = "Image18", .ground = QColor(0xDD, 0xEE, 0xD2), .padding = 3, .glyphSize = 2.6},
    {.picture = "Image19",
        .inset = 2,
        .radius = 2,
        .padding = 4,
        .glyphSize = 2.4,
        .frame = QColor(0x55, 0x55, 0x55),
        .uniformText = true},
    {.picture = "Image20",
        .ground = QColor(0xF0, 0x9A, 0x3C),
        .inset = 2,
        .padding = 4,
        .glyphSize = 2.2,
        .uniform = true},
};

const Look &lookOf(const Layout::Row &picture)
{
    static const Look plain;
    for (const Look &look : looks) {
        if (qstrcmp(look.picture, picture.name) == 0)
            return look;
    }
    return plain;
}

struct Caption
{
    const char *prefix; // the commands of the tiles it stands over
    const char *text;
};

const Caption captions[] = {
    {"en", "Ενδείξεις Φθόγγου"},
    {"dm", "Διαστολές Μέτρα"},
    {"par", "Σημεία Παραπομπής"},
};

// A sign to be drawn on its tile.
struct SignTile
{
    QString command;
    SignTable::Tile colour;
    QRectF rect; // in bitmap pixels
    QList<GlyphPainter::Part> parts;
    qreal scale;
    bool text; // words or letters only, no musical symbol
};

// The command's letters: tiles of one row and one family share a size in uniform pictures.
QString family(const QString &command)
{
    QString letters = command;
    while (!letters.isEmpty() && letters.back().isDigit())
        letters.chop(1);
    return letters;
}

bool isText(const SignTable::Row &sign)
{
    return std::ranges::none_of(SignTable::glyphs(sign), [](const SignTable::Glyph &glyph) {
        const QList<uint> characters = QString::fromUtf8(glyph.text).toUcs4();
        return std::ranges::any_of(characters, [](uint c) { return c >= 0x1D000 && c <= 0x1D0FF; });
    });
}

void equaliseRows(QList<SignTile> &tiles, bool textOnly)
{
    for (SignTile &tile : tiles) {
        if (textOnly && !tile.text)
            continue;
        for (const SignTile &other : tiles) {
            const qreal apart = std::abs(other.rect.center().y() - tile.rect.center().y());
            if (family(other.command) == family(tile.command) && other.text == tile.text
                && apart < std::min(tile.rect.height(), other.rect.height()) / 2)
                tile.scale = std::min(tile.scale, other.scale);
        }
    }
}

// A rectangle grown by dx, dy on every side (shrunk when negative).
QRectF grown(const QRectF &rect, qreal dx, qreal dy)
{
    return rect.adjusted(-dx, -dy, dx, dy);
}

// Where a tile's sign goes: inside its padding.
QRectF signBox(const QRectF &tile, QPointF unitsPerPixel, const Look &look)
{
    return grown(tile, -look.padding / unitsPerPixel.x(), -look.padding / unitsPerPixel.y());
}

void paintTile(QPainter &painter, const QRectF &tile, QPointF unitsPerPixel, const Look &look,
    const QColor &colour)
{
    QLinearGradient shading(tile.topLeft(), tile.bottomLeft());
    shading.setColorAt(0, colour.lighter(112));
    shading.setColorAt(1, colour);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(look.frame.isValid() ? look.frame : colour.darker(150));
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.setBrush(shading);
    painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), look.radius / unitsPerPixel.x(),
        look.radius / unitsPerPixel.y(), Qt::AbsoluteSize);
    painter.restore();
}

} // namespace

ChartPainter::ChartPainter(const GlyphPainter &glyphs)
    : m_glyphs(glyphs)
{ }

bool ChartPainter::paint(QPainter &painter, const Layout::Row &picture, QString *error) const
{
    const Look &look = lookOf(picture);
    const QPointF units = PictureGeometry::unitsPerPixel(picture);

    QList<SignTile> tiles;
    for (const Layout::Row *area : PictureGeometry::hitAreas(picture)) {
        const QString command = QString::fromLatin1(area->name);
        const SignTable::Row *sign = SignTable::find(command);
        if (!sign) {
            *error = QStringLiteral("%1: no sign for the hit area %2")
                         .arg(QString::fromLatin1(picture.name), command);
            return false;
        }
        const QRectF rect = grown(PictureGeometry::toPixels(picture, area->rect),
            -look.inset / units.x(), -look.inset / units.y());
        const QList<GlyphPainter::Part> parts = m_glyphs.compose(SignTable::glyphs(*sign));
        const qreal maxEm = look.glyphSize * rect.height() * units.y() / GlyphPainter::em;
        tiles.append({command, sign->tile, rect, parts,
            GlyphPainter::fitScale(parts, signBox(rect, units, look), units, maxEm),
            isText(*sign)});
    }
    if (look.uniform || look.uniformText)
        equaliseRows(tiles, !look.uniform);

    painter.fillRect(QRect(QPoint(0, 0), picture.bitmap), look.ground);
    paintCaptions(painter, picture);
    for (const SignTile &tile : tiles) {
        paintTile(painter, tile.rect, units, look, tileColour(tile.colour));
        GlyphPainter::paint(
            painter, tile.parts, signBox(tile.rect, units, look), units, tile.scale, look.weight);
    }
    return true;
}

void ChartPainter::paintCaptions(QPainter &painter, const Layout::Row &picture) const
{
    const QPointF units = PictureGeometry::unitsPerPixel(picture);
    for (const Caption &caption : captions) {
        QRectF over;
        for (const Layout::Row *area : PictureGeometry::hitAreas(picture)) {
            if (QString::fromLatin1(area->name).startsWith(QLatin1String(caption.prefix)))
                over = over.united(PictureGeometry::toPixels(picture, area->rect));
        }
        if (over.isEmpty())
            continue;
        const QRectF band(over.left(), 0, over.width(), over.top());
        const QList<GlyphPainter::Part> text {
            {m_glyphs.boldOutline(QString::fromUtf8(caption.text)), SignTable::Ink::Black}};
        const QRectF box = grown(band, 0, -1.5 / units.y());
        GlyphPainter::paint(
            painter, text, box, units, GlyphPainter::fitScale(text, box, units, 1), 0);
    }
}

QColor ChartPainter::tileColour(SignTable::Tile tile)
{
    using enum SignTable::Tile;
    switch (tile) {
    case None:
        return Qt::transparent;
    case White:
        return QColor(0xFB, 0xFB, 0xF8);
    case Cream:
        return QColor(0xFF, 0xF4, 0xD8);
    case Grey:
        return QColor(0xD8, 0xD8, 0xD8);
    case LightBlue:
        return QColor(0xCC, 0xE4, 0xF6);
    case Blue:
        return QColor(0xA8, 0xCB, 0xF0);
    case Yellow:
        return QColor(0xFF, 0xEC, 0x94);
    case PaleYellow:
        return QColor(0xFF, 0xF7, 0xC4);
    case Gold:
        return QColor(0xF0, 0xCF, 0x70);
    case LightGreen:
        return QColor(0xCC, 0xEE, 0xC0);
    case YellowGreen:
        return QColor(0xDC, 0xEA, 0x98);
    case Olive:
        return QColor(0xD2, 0xD0, 0x8E);
    case OliveGreen:
        return QColor(0xB8, 0xC8, 0x8C);
    case Green:
        return QColor(0xA9, 0xDC, 0xA0);
    case Teal:
        return QColor(0xA4, 0xDC, 0xD4);
    case Tan:
        return QColor(0xE6, 0xD0, 0xAC);
    case Orange:
        return QColor(0xFF, 0xC6, 0x86);
    case Pink:
        return QColor(0xF8, 0xC8, 0xD8);
    case Lilac:
        return QColor(0xDC, 0xCC, 0xF0);
    case Purple:
        return QColor(0xC8, 0xAE, 0xE0);
    case Mauve:
        return QColor(0xE2, 0xB8, 0xD0);
    }
    return Qt::white;
}

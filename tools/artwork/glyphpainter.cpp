// SPDX-License-Identifier: GPL-3.0-or-later

#include "glyphpainter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

struct FontFile
{
    const char *path;
    qreal size;
};

// Greek first, so that letters and digits come from a text face; the Byzantine symbols
// are only in the music font, arrows and scissors only in the symbol fonts. The music
// font draws its symbols at about two fifths of a letter's height, so letters are scaled
// to match.
const FontFile fontFiles[] = {
    {"/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf", 0.4},
    {"/usr/share/fonts/truetype/noto/NotoMusic-Regular.ttf", 1},
    {"/usr/share/fonts/truetype/noto/NotoSansSymbols-Regular.ttf", 0.4},
    {"/usr/share/fonts/truetype/noto/NotoSansSymbols2-Regular.ttf", 0.4},
};
const char *const boldFontFile = "/usr/share/fonts/truetype/noto/NotoSans-Bold.ttf";

constexpr qreal markGap = 5; // between a mark and what it sits on, in font units
constexpr qreal nextGap = 4; // between two base glyphs

bool overlapsHorizontally(const QRectF &a, const QRectF &b)
{
    return a.left() < b.right() && b.left() < a.right();
}

QRectF boundsOf(const QList<GlyphPainter::Part> &parts)
{
    QRectF bounds;
    for (const GlyphPainter::Part &part : parts)
        bounds = bounds.united(part.path.boundingRect());
    return bounds;
}

bool isAbove(SignTable::Place place)
{
    using enum SignTable::Place;
    return place == Above || place == AboveStart || place == AboveEnd || place == AboveAll;
}

} // namespace

QString GlyphPainter::loadFonts()
{
    const auto load = [](const char *file, QFont *font) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty())
            return false;
        *font = QFont(families.first());
        font->setPixelSize(em);
        font->setStyleStrategy(QFont::NoFontMerging);
        font->setHintingPreference(QFont::PreferNoHinting);
        return true;
    };
    for (const FontFile &file : fontFiles) {
        QFont font;
        if (!load(file.path, &font))
            return QStringLiteral("cannot load the font %1").arg(QString::fromLatin1(file.path));
        m_faces.append({font, file.size});
    }
    if (!load(boldFontFile, &m_bold))
        return QStringLiteral("cannot load the font %1").arg(QString::fromLatin1(boldFontFile));
    m_bold.setBold(true);
    return {};
}

const GlyphPainter::Face *GlyphPainter::faceFor(const QString &text) const
{
    const QList<uint> characters = text.toUcs4();
    for (const Face &face : m_faces) {
        const QFontMetricsF metrics(face.font);
        if (std::ranges::all_of(characters, [&](uint c) { return metrics.inFontUcs4(c); }))
            return &face;
    }
    return nullptr;
}

QStringList GlyphPainter::missingGlyphs() const
{
    QStringList missing;
    for (const SignTable::Row &row : SignTable::rows()) {
        for (const SignTable::Glyph &glyph : SignTable::glyphs(row)) {
            const QString text = QString::fromUtf8(glyph.text);
            if (!faceFor(text))
                missing.append(
                    QStringLiteral("%1: %2").arg(QString::fromLatin1(row.command), text));
        }
    }
    return missing;
}

QPainterPath GlyphPainter::outline(const QString &text) const
{
    const Face *face = faceFor(text);
    if (!face)
        return {};
    QPainterPath path;
    path.addText(QPointF(0, 0), face->font, text);
    return QTransform::fromScale(face->size, face->size).map(path);
}

QPainterPath GlyphPainter::boldOutline(const QString &text) const
{
    QPainterPath path;
    path.addText(QPointF(0, 0), m_bold, text);
    return path;
}

QList<GlyphPainter::Part> GlyphPainter::compose(std::span<const SignTable::Glyph> glyphs) const
{
    QList<Part> parts;
    QList<QRectF> placed;
    QRectF base;
    qreal right = 0;
    for (const SignTable::Glyph &glyph : glyphs) {
        QPainterPath path = QTransform::fromScale(glyph.size, glyph.size)
                                .map(outline(QString::fromUtf8(glyph.text)));
        const QRectF own = path.boundingRect();
        QPointF offset;
        if (parts.isEmpty()) {
            offset.setX(-own.left());
        } else if (glyph.place == SignTable::Place::Next) {
            offset = QPointF(right + nextGap - own.left(), base.center().y() - own.center().y());
        } else {
            using enum SignTable::Place;
            switch (glyph.place) {
            case AboveStart:
            case BelowStart:
                offset.setX(base.left() - own.left());
                break;
            case AboveEnd:
            case BelowEnd:
                offset.setX(base.right() - own.right());
                break;
            case AboveAll:
            case BelowAll:
                offset.setX(boundsOf(parts).center().x() - own.center().x());
                break;
            default:
                offset.setX(base.center().x() - own.center().x());
                break;
            }
            const QRectF span = own.translated(offset.x(), 0);
            if (isAbove(glyph.place)) {
                qreal top = base.top();
                for (const QRectF &other : placed) {
                    if (overlapsHorizontally(other, span))
                        top = std::min(top, other.top());
                }
                offset.setY(top - markGap - own.bottom());
            } else {
                qreal bottom = base.bottom();
                for (const QRectF &other : placed) {
                    if (overlapsHorizontally(other, span))
                        bottom = std::max(bottom, other.bottom());
                }
                offset.setY(bottom + markGap - own.top());
            }
        }
        path.translate(offset);
        const QRectF where = path.boundingRect();
        if (glyph.place == SignTable::Place::Next || parts.isEmpty())
            base = where;
        placed.append(where);
        right = std::max(right, where.right());
        parts.append({path, glyph.ink});
    }
    return parts;
}

qreal GlyphPainter::fitScale(
    const QList<Part> &parts, const QRectF &box, QPointF unitsPerPixel, qreal maxEm)
{
    const QRectF bounds = boundsOf(parts);
    if (bounds.isEmpty())
        return maxEm;
    const qreal width = box.width() * unitsPerPixel.x();
    const qreal height = box.height() * unitsPerPixel.y();
    return std::min({width / bounds.width(), height / bounds.height(), maxEm});
}

void GlyphPainter::paint(QPainter &painter, const QList<Part> &parts, const QRectF &box,
    QPointF unitsPerPixel, qreal scale, qreal weight)
{
    const QRectF bounds = boundsOf(parts);
    if (bounds.isEmpty())
        return;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center());
    painter.scale(scale / unitsPerPixel.x(), scale / unitsPerPixel.y());
    painter.translate(-bounds.center());
    for (const Part &part : parts) {
        const QColor colour = inkColour(part.ink);
        painter.setBrush(colour);
        painter.setPen(weight > 0
                ? QPen(colour, weight / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                : QPen(Qt::NoPen));
        painter.drawPath(part.path);
    }
    painter.restore();
}

QColor GlyphPainter::inkColour(SignTable::Ink ink)
{
    switch (ink) {
    case SignTable::Ink::Black:
        return QColor(0x14, 0x14, 0x14);
    case SignTable::Ink::Red:
        return QColor(0xC6, 0x12, 0x1E);
    case SignTable::Ink::Teal:
        return QColor(0x00, 0x78, 0x72);
    case SignTable::Ink::Green:
        return QColor(0x1B, 0x8A, 0x2E);
    case SignTable::Ink::Grey:
        return QColor(0x8C, 0x8C, 0x8C);
    }
    return Qt::black;
}

// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "signtable.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <span>

class QPainter;

// Lays out a sign's glyphs and paints them fitted into a tile. Glyphs come only from the
// font files it loads, with no fallback to whatever other fonts the system has, so that
// every run draws the same outlines.
class GlyphPainter
{
public:
    static constexpr int em = 100; // the font size glyphs are laid out at, in font units

    struct Part
    {
        QPainterPath path;
        SignTable::Ink ink;
    };

    // Loads the fonts; on failure returns the reason.
    QString loadFonts();

    // The glyphs placed relative to each other, in font units.
    QList<Part> compose(std::span<const SignTable::Glyph> glyphs) const;

    // The outline of a text in the first loaded font that has every one of its characters.
    QPainterPath outline(const QString &text) const;

    // The outline of a caption or label, in a bold sans-serif face.
    QPainterPath boldOutline(const QString &text) const;

    // The largest scale, in screen units per font unit, at which parts fit into box (bitmap
    // pixels), but at most maxEm. unitsPerPixel is how large one bitmap pixel appears on
    // screen.
    static qreal fitScale(
        const QList<Part> &parts, const QRectF &box, QPointF unitsPerPixel, qreal maxEm);

    // Paints parts centred in box at the given scale, every stroke thickened by weight screen
    // units. The glyphs are pre-squeezed so that the stretched bitmap shows them undistorted.
    static void paint(QPainter &painter, const QList<Part> &parts, const QRectF &box,
        QPointF unitsPerPixel, qreal scale, qreal weight);

    static QColor inkColour(SignTable::Ink ink);

    // Glyphs whose characters no loaded font has, as "command: text" lines.
    QStringList missingGlyphs() const;

private:
    struct Face
    {
        QFont font;
        qreal size; // the music font's symbols are small for their em: text is drawn smaller
    };

    const Face *faceFor(const QString &text) const;

    QList<Face> m_faces; // in order of preference
    QFont m_bold;
};

// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "glyphpainter.h"
#include "layout.h"

#include <QPainter>
#include <QString>

// Draws a chart picture: a rounded tile under every hit area, each showing its sign as the
// sign table gives it.
class ChartPainter
{
public:
    explicit ChartPainter(const GlyphPainter &glyphs);

    // Paints the picture in its bitmap's pixels, from (0, 0) to its bitmap size; false, with
    // the reason in error, when a hit area has no row in the sign table.
    bool paint(QPainter &painter, const Layout::Row &picture, QString *error) const;

    static QColor tileColour(SignTable::Tile tile);

private:
    void paintCaptions(QPainter &painter, const Layout::Row &picture) const;

    const GlyphPainter &m_glyphs;
};

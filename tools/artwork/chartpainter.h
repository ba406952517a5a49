#pragma once

#include "glyphpainter.h"
#include "layout.h"

#include <QImage>
#include <QString>

// Draws a chart picture: a rounded tile under every hit area, each showing its sign as the
// sign table gives it.
class ChartPainter
{
public:
    explicit ChartPainter(const GlyphPainter &glyphs);

    // The picture at its bitmap size; null, with the reason in error, when a hit area has
    // no row in the sign table.
    QImage paint(const Layout::Row &picture, QString *error) const;

    static QColor tileColour(SignTable::Tile tile);

private:
    void paintCaptions(QPainter &painter, const Layout::Row &picture) const;

    const GlyphPainter &m_glyphs;
};

#pragma once

#include "glyphpainter.h"
#include "layout.h"

#include <QImage>
#include <QPainter>

// Draws the pictures that are not sign charts: the control grid, the move pad's arrows, the
// connection pictures and the program icon.
class IconPainter
{
public:
    explicit IconPainter(const GlyphPainter &glyphs);

    // The control grid: a rounded tile with an icon under each of its hit areas.
    QImage controlGrid(const Layout::Row &picture) const;

    // A green round arrow, pointing left or right.
    static QImage moveArrow(QSize size, bool left);

    // Two monitors; when not connected, with a red badge bearing a white cross.
    static QImage connection(QSize size, bool connected);

    // The program icon, in a square of size pixels; a vector painter gets it as outlines.
    void programIcon(QPainter &painter, QSize size) const;

private:
    const GlyphPainter &m_glyphs;
};

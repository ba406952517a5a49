// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "glyphpainter.h"
#include "layout.h"

#include <QPainter>

// Draws the pictures that are not sign charts: the control grid, the move pad's arrows, the
// connection pictures and the program icon.
class IconPainter
{
public:
    explicit IconPainter(const GlyphPainter &glyphs);

    // Each paints in its bitmap's pixels, from (0, 0) to its size, on a transparent ground.

    // The control grid: a rounded tile with an icon under each of its hit areas.
    void controlGrid(QPainter &painter, const Layout::Row &picture) const;

    // A green round arrow, pointing left or right.
    static void moveArrow(QPainter &painter, QSize size, bool left);

    // Two monitors; when not connected, with a red badge bearing a white cross.
    static void connection(QPainter &painter, QSize size, bool connected);

    // The program icon, in a square of size pixels; a vector painter gets it as outlines.
    void programIcon(QPainter &painter, QSize size) const;

private:
    const GlyphPainter &m_glyphs;
};

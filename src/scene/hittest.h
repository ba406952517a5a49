// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QRectF>

class QGraphicsItem;

// The item a press lands on, found by walking the keypad's own screens and panels instead of
// the scene's general search. That walk is only right for a scene built as the keypad builds
// its own: every item is a rectangle, no item has a z value or stacks behind its parent, so
// later siblings lie above earlier ones and children above their parent.
namespace HitTest {

// The topmost visible item among these siblings and their descendants whose rectangle meets
// rect (scene coordinates); null when there is none.
QGraphicsItem *topmost(const QList<QGraphicsItem *> &siblings, const QRectF &rect);

} // namespace HitTest

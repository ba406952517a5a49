// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

namespace Layout {
struct Row;
}

// The layout's rows as the page reads them: every control a view shows, in drawing order,
// with its rectangle, scale, look, caption, accessible name and whether a press reaches a
// handler. The page builds its buttons from this, as the window builds its items from the
// same rows.
namespace LayoutJson {

QByteArray document();

// The pictures that show when the page opens come in one sheet, a view of it each, so that the
// first screen waits for one document rather than eleven. Every picture has a file of its own
// too, which the others load from as their panel first shows.
inline constexpr char StartSheet[] = "pictures/start.svg";

// Whether a row and every container around it show when the page opens.
bool showsAtStart(const Layout::Row &row);

// Where the page loads a row's picture from, relative to the page.
QByteArray pictureUrl(const Layout::Row &row);

} // namespace LayoutJson

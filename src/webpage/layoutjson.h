// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

// The layout's rows as the page reads them: every control a view shows, in drawing order,
// with its rectangle, scale, look, caption, accessible name and whether a press reaches a
// handler. The page builds its buttons from this, as the window builds its items from the
// same rows.
namespace LayoutJson {

QByteArray document();

} // namespace LayoutJson

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// What a screen reader calls each control that has no visible text of its own: the signs by
// the sign table, and the tiles, the move-pad keys and the toggles by the rows here, all in
// the sign table's "Greek (Latin)" form. The toggles' visible text "......" tells them
// apart for no one.
namespace ControlNames {

// Empty for a control that has a caption, or none.
QString accessibleName(QStringView component);

// The status tile's description, for the picture it shows.
QString connectionDescription(bool connected);

} // namespace ControlNames

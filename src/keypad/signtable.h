// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>
#include <span>

// What each sign tile shows and what the sign is called. The artwork generator draws the
// tiles from these rows and the window names each hit area after them, so a picture and
// the name a screen reader speaks for it cannot drift apart. A row adds nothing to what
// a press sends: the command is still the hit area's component name.
namespace SignTable {

// Where a glyph goes. Next starts a new base glyph to the right of everything so far,
// centred on the height of the base before it. Above, Below and their Start and End forms
// attach a mark to the latest base glyph, stacked clear of whatever already lies above or
// below it; AboveAll and BelowAll centre it over or under everything so far.
enum class Place {
    Next,
    Above,
    AboveStart,
    AboveEnd,
    AboveAll,
    Below,
    BelowStart,
    BelowEnd,
    BelowAll,
};

enum class Ink {
    Black,
    Red,
    Teal,
    Green,
    Grey,
};

// Tile colours, by the names the keypad's colour groups go by.
enum class Tile {
    None, // not drawn: the hit area is a text button
    White,
    Cream,
    Grey,
    LightBlue,
    Blue,
    Yellow,
    PaleYellow,
    Gold,
    LightGreen,
    YellowGreen,
    Olive,
    OliveGreen,
    Green,
    Teal,
    Tan,
    Orange,
    Pink,
    Lilac,
    Purple,
    Mauve,
};

struct Glyph
{
    const char *text = nullptr; // UTF-8: one Byzantine musical symbol, a Greek letter or a word
    Place place = Place::Next;
    Ink ink = Ink::Black;
    float size = 1; // relative to the other glyphs of the row
};

inline constexpr int maxGlyphs = 5;

struct Row
{
    const char *command; // the hit area's component name
    Glyph glyphs[maxGlyphs]; // drawn in this order; unused entries have no text
    const char *greek; // the sign's name in Greek (UTF-8)
    const char *latin; // the same name transliterated
    Tile tile;
};

// Every row, grouped by panel.
std::span<const Row> rows();

// The row of a command, or nullptr.
const Row *find(QStringView command);

// The glyphs a row draws, in order.
std::span<const Glyph> glyphs(const Row &row);

// "Greek (Latin)": the hit area's accessible name and tool tip.
QString displayName(const Row &row);

} // namespace SignTable

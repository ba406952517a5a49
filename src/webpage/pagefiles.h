// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>

// Every file a browser keypad loads, made once at start: the page's own files built into the
// program, the page carrying the layout as JSON, and each picture as SVG. Nothing else is
// ever served.
namespace PageFiles {

struct File
{
    QByteArray path; // relative to the page: "index.html", "pictures/Image1.svg"
    QByteArray contentType;
    QByteArray body;
};

QList<File> all();

} // namespace PageFiles

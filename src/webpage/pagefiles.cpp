// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagefiles.h"

#include "artwork.h"
#include "layout.h"
#include "layoutjson.h"
#include "shapelist.h"
#include "shapesvg.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray contentType(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix == u"html")
        return "text/html; charset=utf-8";
    if (suffix == u"css")
        return "text/css; charset=utf-8";
    if (suffix == u"js")
        return "text/javascript; charset=utf-8";
    if (suffix == u"json")
        return "application/json";
    if (suffix == u"webmanifest")
        return "application/manifest+json";
    if (suffix == u"svg")
        return "image/svg+xml";
    if (suffix == u"png")
        return "image/png";
    return "application/octet-stream";
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page with the layout inside the data block it reads it from, so that building the
// keypad waits for no request of its own. A "<" could only stand in a string, where JSON's
// escape for it keeps the block from ending early.
QByteArray withLayout(const QByteArray &page)
{
    static const QByteArray Block = R"(<script type="application/json" id="layout">)";
    const qsizetype at = page.indexOf(Block);
    if (at < 0)
        return page;
    QByteArray layout = LayoutJson::document();
    layout.replace('<', "\\u003c");
    return page.left(at + Block.size()) + layout + page.mid(at + Block.size());
}

} // namespace

namespace PageFiles {

QList<File> all()
{
    QList<File> files;
    QDirIterator page(QStringLiteral(":/webpage"), QDirIterator::Subdirectories);
    while (page.hasNext()) {
        const QString path = page.next();
        if (!page.fileInfo().isFile())
            continue;
        const QByteArray name = path.mid(QStringLiteral(":/webpage/").size()).toUtf8();
        QByteArray body = read(path);
        if (name == "index.html")
            body = withLayout(body);
        files.append({name, contentType(path), body});
    }
    files.append({"icon.png", "image/png", read(QStringLiteral(":/assets/zp-client.png"))});
    QList<Artwork> inSheet; // keeps the shapes the sheet is drawn from
    QList<ShapeSvg::Picture> startSheet;
    for (const Layout::Row *row : Layout::pictures()) {
        const Artwork picture = Artwork::load(QString::fromLatin1(row->name), row->bitmap);
        if (picture.isNull())
            continue; // the page shows the panel without its picture
        files.append({QByteArray("pictures/") + row->name + ".svg", "image/svg+xml",
            ShapeSvg::document(*picture.shapes(), row->bitmap)});
        if (LayoutJson::showsAtStart(*row)) {
            inSheet.append(picture);
            startSheet.append({row->name, picture.shapes(), row->bitmap});
        }
    }
    files.append({LayoutJson::StartSheet, "image/svg+xml", ShapeSvg::sheet(startSheet)});
    return files;
}

} // namespace PageFiles

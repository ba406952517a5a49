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
        files.append({path.mid(QStringLiteral(":/webpage/").size()).toUtf8(), contentType(path),
            read(path)});
    }
    files.append({"icon.png", "image/png", read(QStringLiteral(":/assets/zp-client.png"))});
    files.append({"layout.json", "application/json", LayoutJson::document()});
    for (const Layout::Row *row : Layout::pictures()) {
        const Artwork picture = Artwork::load(QString::fromLatin1(row->name), row->bitmap);
        if (picture.isNull())
            continue; // the page shows the panel without its picture
        files.append({QByteArray("pictures/") + row->name + ".svg", "image/svg+xml",
            ShapeSvg::document(*picture.shapes(), row->bitmap)});
    }
    return files;
}

} // namespace PageFiles

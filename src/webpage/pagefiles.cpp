// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagefiles.h"

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
        const QString name = QString::fromLatin1(row->name);
        const std::optional<ShapeList> shapes
            = ShapeList::fromBytes(read(QStringLiteral(":/assets/%1.shapes").arg(name)));
        if (!shapes)
            continue; // the page shows the panel without its picture
        files.append({"pictures/" + name.toLatin1() + ".svg", "image/svg+xml",
            ShapeSvg::document(*shapes, row->bitmap)});
    }
    return files;
}

} // namespace PageFiles

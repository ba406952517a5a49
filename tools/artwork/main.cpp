// SPDX-License-Identifier: GPL-3.0-or-later

// zp-artwork: draws every picture of the keypad from the layout tables and the sign table.
//   zp-artwork <assets folder>   writes the pictures the window draws, and the program
//                                icon as PNG and SVG
//   zp-artwork --sign-table      prints the sign table as Markdown

#include "chartpainter.h"
#include "glyphpainter.h"
#include "iconpainter.h"
#include "layout.h"
#include "picturegeometry.h"
#include "shaperecorder.h"
#include "signtable.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QTextStream>
#include <functional>

namespace {

constexpr const char *controlGrid = "Image17";
constexpr QSize programIconSize(256, 256);

QString placeName(SignTable::Place place)
{
    using enum SignTable::Place;
    switch (place) {
    case Next:
        return {};
    case Above:
        return QStringLiteral(" above");
    case AboveStart:
        return QStringLiteral(" above start");
    case AboveEnd:
        return QStringLiteral(" above end");
    case AboveAll:
        return QStringLiteral(" above all");
    case Below:
        return QStringLiteral(" below");
    case BelowStart:
        return QStringLiteral(" below start");
    case BelowEnd:
        return QStringLiteral(" below end");
    case BelowAll:
        return QStringLiteral(" below all");
    }
    return {};
}

QString inkName(SignTable::Ink ink)
{
    switch (ink) {
    case SignTable::Ink::Black:
        return {};
    case SignTable::Ink::Red:
        return QStringLiteral(" red");
    case SignTable::Ink::Teal:
        return QStringLiteral(" teal");
    case SignTable::Ink::Green:
        return QStringLiteral(" green");
    case SignTable::Ink::Grey:
        return QStringLiteral(" grey");
    }
    return {};
}

QString describe(const SignTable::Row &sign)
{
    QStringList parts;
    for (const SignTable::Glyph &glyph : SignTable::glyphs(sign)) {
        const QString text = QString::fromUtf8(glyph.text);
        QString shown = text; // as Markdown: a bare asterisk would start emphasis
        shown.replace(QLatin1Char('*'), QStringLiteral("\\*"));
        QStringList codes;
        for (uint c : text.toUcs4())
            codes.append(QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0')).toUpper());
        const QString size = glyph.size == 1 ? QString() : QStringLiteral(" x%1").arg(glyph.size);
        parts.append(QStringLiteral("%1 %2%3%4%5")
                         .arg(shown, codes.join(QLatin1Char(' ')), placeName(glyph.place),
                             inkName(glyph.ink), size));
    }
    return parts.join(QStringLiteral(" + "));
}

void printSignRows(QTextStream &out, const QList<const Layout::Row *> &areas)
{
    out << "| command | glyphs | Greek | transliteration |\n|---|---|---|---|\n";
    for (const Layout::Row *area : areas) {
        const SignTable::Row *sign = SignTable::find(QString::fromLatin1(area->name));
        if (!sign)
            continue;
        out << "| `" << sign->command << "` | " << describe(*sign) << " | "
            << QString::fromUtf8(sign->greek) << " | " << QString::fromUtf8(sign->latin) << " |\n";
    }
    out << '\n';
}

void printSignTable()
{
    QTextStream out(stdout);
    QList<const Layout::Row *> pictured;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.kind != Layout::Kind::Image || qstrcmp(row.name, controlGrid) == 0)
            continue;
        const QList<const Layout::Row *> areas = PictureGeometry::hitAreas(row);
        out << "### " << row.name << " (" << row.parent << ")\n\n";
        printSignRows(out, areas);
        pictured += areas;
    }
    QList<const Layout::Row *> unpictured;
    for (const Layout::Row &row : Layout::rows()) {
        if (SignTable::find(QString::fromLatin1(row.name)) && !pictured.contains(&row))
            unpictured.append(&row);
    }
    if (!unpictured.isEmpty()) {
        out << "### Text buttons (no picture)\n\n";
        printSignRows(out, unpictured);
    }
}

// Paints a picture; false when it cannot, having said why.
using Draw = std::function<bool(QPainter &)>;

// The pictures the window shows are kept as the shapes that draw them, so that the window
// draws them at whatever size they cover on its screen. They hold outlines, never text, so
// they need no font where they are shown.
bool savePicture(const QDir &folder, const QString &name, QSize size, const Draw &draw)
{
    ShapeRecorder recorder(size);
    QPainter painter(&recorder);
    if (!draw(painter))
        return false;
    painter.end();
    const QString path = folder.filePath(name + QStringLiteral(".shapes"));
    if (recorder.failed()) {
        QTextStream(stderr) << name << ": drawn with text or a bitmap, not with outlines\n";
        return false;
    }
    const QByteArray bytes = recorder.shapes().toBytes();
    if (bytes.isEmpty()) {
        QTextStream(stderr) << name << ": drawn too far outside its picture\n";
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.flush()) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    return true;
}

// The program's icon is a bitmap: desktops want one.
bool saveBitmap(const QDir &folder, const QString &name, QSize size, const Draw &draw)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (!draw(painter))
        return false;
    painter.end();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    return true;
}

// The 256-pixel bitmap and the scalable icon come from the same drawing. The SVG holds
// the glyphs as outlines, so it needs no font where it is shown.
bool saveProgramIcon(const QDir &folder, const IconPainter &icons)
{
    const auto draw = [&](QPainter &painter) {
        icons.programIcon(painter, programIconSize);
        return true;
    };
    if (!saveBitmap(folder, QStringLiteral("zp-client"), programIconSize, draw))
        return false;

    QBuffer svg;
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(programIconSize);
    generator.setViewBox(QRect(QPoint(0, 0), programIconSize));
    generator.setTitle(QStringLiteral("ZP Client"));
    generator.setDescription(QStringLiteral("The icon of the ZP Client keypad"));
    QPainter painter(&generator);
    icons.programIcon(painter, programIconSize);
    painter.end();
    // The generator gives the size in millimetres at its resolution, which renderers read back
    // at resolutions of their own; in pixels, as the view box, every renderer agrees.
    QString text = QString::fromUtf8(svg.data());
    text.replace(QRegularExpression(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\"")),
        QStringLiteral("<svg width=\"%1\" height=\"%2\"")
            .arg(programIconSize.width())
            .arg(programIconSize.height()));
    QFile file(folder.filePath(QStringLiteral("zp-client.svg")));
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        QTextStream(stderr) << "cannot write " << file.fileName() << '\n';
        return false;
    }
    return true;
}

bool movesLeft(const Layout::Row &arrow)
{
    const QList<const Layout::Row *> areas = PictureGeometry::hitAreas(arrow);
    return !areas.isEmpty() && areas.first()->handler == Layout::Handler::moveLClick;
}

} // namespace

int main(int argc, char *argv[])
{
    // A build tool: it must run where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        err << "usage: zp-artwork <assets folder> | --sign-table\n";
        return 2;
    }

    GlyphPainter glyphs;
    if (const QString error = glyphs.loadFonts(); !error.isEmpty()) {
        err << error << '\n';
        return 1;
    }
    if (const QStringList missing = glyphs.missingGlyphs(); !missing.isEmpty()) {
        err << "no font has the glyphs of\n  " << missing.join(QStringLiteral("\n  ")) << '\n';
        return 1;
    }

    if (arguments.at(1) == u"--sign-table") {
        printSignTable();
        return 0;
    }

    QDir folder(arguments.at(1));
    if (!folder.mkpath(QStringLiteral("."))) {
        err << "cannot create " << folder.path() << '\n';
        return 1;
    }

    const ChartPainter charts(glyphs);
    const IconPainter icons(glyphs);
    bool ok = true;
    for (const Layout::Row &row : Layout::rows()) {
        const QString name = QString::fromLatin1(row.name);
        Draw draw;
        switch (row.kind) {
        case Layout::Kind::Image:
            if (qstrcmp(row.name, controlGrid) == 0) {
                draw = [&](QPainter &painter) {
                    icons.controlGrid(painter, row);
                    return true;
                };
            } else {
                draw = [&](QPainter &painter) {
                    QString error;
                    if (charts.paint(painter, row, &error))
                        return true;
                    err << error << '\n';
                    return false;
                };
            }
            break;
        case Layout::Kind::ImageControl:
            if (row.bitmap.isEmpty())
                continue; // it shows the connection pictures instead
            draw = [&](QPainter &painter) {
                IconPainter::moveArrow(painter, row.bitmap, movesLeft(row));
                return true;
            };
            break;
        case Layout::Kind::BitmapListAnimation:
            // The animation enabled at start shows the link as not yet connected.
            draw = [&](QPainter &painter) {
                IconPainter::connection(painter, row.bitmap, !row.visible);
                return true;
            };
            break;
        default:
            continue;
        }
        ok = savePicture(folder, name, row.bitmap, draw) && ok;
    }
    ok = saveProgramIcon(folder, icons) && ok;
    return ok ? 0 : 1;
}

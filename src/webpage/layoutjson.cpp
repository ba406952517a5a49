// SPDX-License-Identifier: GPL-3.0-or-later
#include "layoutjson.h"

#include "controlnames.h"
#include "layout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Layout::Kind;
using Layout::Style;

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Panel:
        return "panel";
    case Kind::Image:
        return "image";
    case Kind::SpeedButton:
        return "speedbutton";
    case Kind::Button:
        return "button";
    case Kind::CornerButton:
        return "cornerbutton";
    case Kind::CheckBox:
        return "checkbox";
    case Kind::Edit:
        return "edit";
    case Kind::Memo:
        return "memo";
    case Kind::Label:
        return "label";
    case Kind::ImageControl:
        return "imagecontrol";
    case Kind::BitmapListAnimation:
        return "animation";
    case Kind::Timer:
    case Kind::TcpClient:
    case Kind::UdpServer:
        break;
    }
    return nullptr;
}

const char *styleName(Style style)
{
    switch (style) {
    case Style::Default:
        return "default";
    case Style::Plain:
        return "plain";
    case Style::Callout:
        return "callout";
    case Style::TransparentCircle:
        return "circle";
    case Style::SegmentedMiddle:
        return "segmented";
    case Style::ArrowUp:
        return "arrow-up";
    case Style::ArrowRight:
        return "arrow-right";
    case Style::ArrowDown:
        return "arrow-down";
    case Style::ArrowLeft:
        return "arrow-left";
    }
    return "default";
}

} // namespace

namespace LayoutJson {

bool showsAtStart(const Layout::Row &row)
{
    for (const Layout::Row *at = &row; at;
         at = at->parent ? Layout::find(QString::fromLatin1(at->parent)) : nullptr)
        if (!at->visible)
            return false;
    return true;
}

QByteArray pictureUrl(const Layout::Row &row)
{
    if (showsAtStart(row))
        return QByteArray(StartSheet) + '#' + row.name;
    return QByteArray("pictures/") + row.name + ".svg";
}

QByteArray document()
{
    QJsonArray rows;
    for (const Layout::Row &row : Layout::rows()) {
        const char *kind = kindName(row.kind);
        if (!kind)
            continue; // timers and sockets have no view
        const QString name = QString::fromLatin1(row.name);
        const QString text = row.text ? QString::fromUtf8(row.text) : QString();
        QString label = ControlNames::accessibleName(name);
        if (label.isEmpty())
            label = text;
        QJsonObject o {
            {"name", name},
            {"kind", QString::fromLatin1(kind)},
            {"parent", row.parent ? QString::fromLatin1(row.parent) : QString()},
            {"x", row.rect.x()},
            {"y", row.rect.y()},
            {"w", row.rect.width()},
            {"h", row.rect.height()},
            {"style", QString::fromLatin1(styleName(row.style))},
            {"visible", row.visible},
            {"pressable", row.handler != Layout::Handler::None},
        };
        if (row.scale != QPointF(1, 1)) {
            o.insert("sx", row.scale.x());
            o.insert("sy", row.scale.y());
        }
        if (!text.isEmpty())
            o.insert("text", text);
        if (!label.isEmpty())
            o.insert("label", label);
        if (!row.bitmap.isEmpty())
            o.insert("picture", QString::fromLatin1(pictureUrl(row)));
        if (row.centred)
            o.insert("centred", true);
        if (row.fontSize > 0)
            o.insert("fontSize", row.fontSize);
        rows.append(o);
    }
    return QJsonDocument(QJsonObject {{"width", 1024}, {"height", 720}, {"rows", rows}})
        .toJson(QJsonDocument::Compact);
}

} // namespace LayoutJson

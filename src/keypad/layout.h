// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringView>
#include <span>

// The window's component tree as data: one row per component, in layout order.
// A container's row comes before the rows of its contents, and the contents of one
// container are listed back to front, so the order of rows is also the drawing order
// and decides which control takes a press where rectangles overlap.
namespace Layout {

// The toolkit class a row stands for.
enum class Kind {
    Panel, // a screen (parent none) or a panel inside one
    Image, // a picture stretched to its rectangle
    SpeedButton, // a flat button that sends or navigates; never takes the focus
    Button, // a push button with a caption
    CornerButton, // a push button with rounded corners (the toggles, Connect Disconnect)
    CheckBox,
    Edit,
    Memo,
    Label,
    ImageControl, // holds the picture painted by a bitmap-list animation
    BitmapListAnimation, // one-frame animation painting its parent image control
    Timer,
    TcpClient,
    UdpServer,
};

enum class Style {
    Default,
    Plain, // plain panel
    Callout, // light grey panel with a pointer on its top edge
    TransparentCircle, // hit area: invisible at rest, grey ellipse while hovered or pressed
    SegmentedMiddle, // ison letter button
    ArrowUp,
    ArrowRight,
    ArrowDown,
    ArrowLeft,
};

// The press handler a control is bound to. The names are those of the handlers of TMainClient.
enum class Handler {
    None,
    // press rules
    c3Click,
    ft8Click,
    m1Click,
    o1Click,
    o5Click,
    ark1Click,
    // toggles
    enallagixronikiagogiClick,
    enallagiIsonClick,
    enallagiMartyriesClick,
    CornerButton1Click,
    enallagifthoresClick,
    enallagikatavasiClick,
    enallagianavasiClick,
    // navigation and window
    rythmiseisshowClick,
    martyriesshowClick,
    diaforashowClick,
    Button1Click,
    offClick,
    move_clientClick,
    Button3Click,
    moveLClick,
    moveRClick,
    // server link
    ConnectDisconnectClick,
    con_SpeedButtonClick,
};

struct Row
{
    const char *name;
    Kind kind;
    const char *parent = nullptr; // container's component name; nullptr: the window itself
    QRectF rect; // position and size in the container's units
    QPointF scale {1.0, 1.0}; // own scale, about the top-left corner
    Style style = Style::Default;
    const char *text = nullptr; // caption, initial text
    bool visible = true;
    Handler handler = Handler::None;
    QSize bitmap; // pixel size of a picture's bitmap
    int tabOrder = -1; // position in the container's tab order; -1: none
    bool centred = false; // placed in the middle of the window instead of at rect's corner
    int fontSize = 0; // 0: the toolkit's default
};

// All rows of the window, in layout order.
std::span<const Row> rows();

// The row of a component, or nullptr.
const Row *find(QStringView name);

// The rows the window shows a picture for, drawn for the row's bitmap size: images, image
// controls and the animations' frames.
QList<const Row *> pictures();

// The tables, by screen; rows() joins them in this order.
std::span<const Row> mainScreenRows(); // Panel1 and its contents
std::span<const Row> chartScreenRows(); // Panel2, Panel3, Panel4 and their contents
std::span<const Row>
settingsScreenRows(); // Panel5, its contents, and the window's non-visual components

} // namespace Layout

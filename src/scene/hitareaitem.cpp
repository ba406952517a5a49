// SPDX-License-Identifier: GPL-3.0-or-later

#include "hitareaitem.h"

#include "controlnames.h"
#include "devicepixels.h"
#include "signtable.h"

#include <QAccessible>
#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QTimer>
#include <QVariantAnimation>

namespace {
constexpr int FadeMs = 100;
const QColor HoverColour(0x80, 0x80, 0x80, 0xAF);
const QColor PressedColour(0x40, 0x60, 0x90, 0xC0);
const QColor ConfirmedColour(0x2E, 0xA0, 0x4A, 0xB0);
const QColor FocusColour(0x20, 0x40, 0xA0);
} // namespace

HitAreaItem::HitAreaItem(const Layout::Row &row, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(row.rect.size())
    , m_style(row.style)
    , m_text(QString::fromUtf8(row.text))
    , m_fontSize(row.fontSize)
    , m_actionable(row.handler != Layout::Handler::None)
    , m_accessibleName(ControlNames::accessibleName(QString::fromLatin1(row.name)))
{
    setObjectName(QString::fromLatin1(row.name));
    setPos(row.rect.topLeft());
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
    // Text drawn under an uneven scale becomes outlines; keep the letter buttons as pixels.
    if (m_style == Layout::Style::SegmentedMiddle)
        setCacheMode(DeviceCoordinateCache);
    setFlag(ItemHasNoContents, isIdle());
    // The sign's name, so that a mouse user can learn every sign.
    if (SignTable::find(objectName()))
        setToolTip(m_accessibleName);
}

QRectF HitAreaItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void HitAreaItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF r = boundingRect();
    painter->setRenderHint(QPainter::Antialiasing);

    if (m_style == Layout::Style::SegmentedMiddle) {
        painter->setPen(QColor(0xA0, 0xA0, 0xA0));
        painter->setBrush(m_pressed ? QColor(0xC8, 0xD8, 0xF0) : QColor(0xFA, 0xFA, 0xFA));
        painter->drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        QFont font = painter->font();
        if (m_fontSize > 0)
            font.setPixelSize(m_fontSize);
        painter->setFont(font);
        painter->setPen(Qt::black);
        painter->drawText(r, Qt::AlignCenter, m_text);
    }

    if (m_flashing)
        paintEllipse(painter, ConfirmedColour, 1.0);
    else if (m_pressed)
        paintEllipse(painter, PressedColour, 1.0);
    else if (m_highlight > 0.0)
        paintEllipse(painter, HoverColour, m_highlight);

    if (m_keyboardFocus) {
        // In device pixels, so that the ring stays as thin on a large screen as on a small one.
        QPen ring(FocusColour, 2);
        ring.setCosmetic(true);
        painter->setPen(ring);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(1, 1, -1, -1));
    }
}

// An antialiased ellipse costs the painter as much as a panel (it hands the work to its
// thread pool), and the hover look is painted on every frame of its fade. So each ellipse is
// drawn once per size and colour, in device pixels, and copied after that; the fade is the
// copy's opacity. The colour's own alpha is drawn into the copy, so that a look at full
// strength is a plain copy rather than one blended at an opacity, half the work.
void HitAreaItem::paintEllipse(QPainter *painter, const QColor &colour, qreal strength) const
{
    const QTransform toDevice = painter->deviceTransform();
    if (toDevice.type() > QTransform::TxScale) {
        QColor faded = colour;
        faded.setAlphaF(colour.alphaF() * strength);
        painter->setPen(Qt::NoPen);
        painter->setBrush(faded);
        painter->drawEllipse(boundingRect());
        return;
    }
    const QRect device = sizedDeviceRect(toDevice, boundingRect());
    if (device.isEmpty())
        return;
    const QString key = QStringLiteral("zp-ellipse-%1x%2-%3")
                            .arg(device.width())
                            .arg(device.height())
                            .arg(colour.rgba(), 8, 16);
    QPixmap ellipse;
    if (!QPixmapCache::find(key, &ellipse)) {
        ellipse = QPixmap(device.size());
        ellipse.fill(Qt::transparent);
        QPainter drawer(&ellipse);
        drawer.setRenderHint(QPainter::Antialiasing);
        drawer.setPen(Qt::NoPen);
        drawer.setBrush(colour);
        drawer.drawEllipse(QRectF(ellipse.rect()));
        drawer.end();
        QPixmapCache::insert(key, ellipse);
    }
    painter->save();
    painter->setOpacity(painter->opacity() * strength);
    const DevicePixelScope inDevicePixels(painter);
    painter->drawPixmap(device.topLeft(), ellipse);
    painter->restore();
}

bool HitAreaItem::isIdle() const
{
    return m_style != Layout::Style::SegmentedMiddle && !m_flashing && !m_pressed
        && m_highlight <= 0.0 && !m_keyboardFocus;
}

// Most areas draw nothing until they are hovered, pressed or confirmed, and hundreds of them
// lie on a screen: while idle they tell the scene they have no contents, and a redraw passes
// over them. The scene repaints only items with contents on update(), so an area going idle
// has the scene repaint where it lies.
void HitAreaItem::updateLook()
{
    const bool idle = isIdle();
    if (!idle) {
        setFlag(ItemHasNoContents, false);
        update();
    } else if (!(flags() & ItemHasNoContents)) {
        setFlag(ItemHasNoContents, true);
        if (QGraphicsScene *itemScene = scene())
            itemScene->update(sceneBoundingRect());
    }
}

void HitAreaItem::setKeyboardFocus(bool focus)
{
    if (m_keyboardFocus == focus)
        return;
    m_keyboardFocus = focus;
    updateLook();
}

void HitAreaItem::setAccessibleDescription(const QString &description)
{
    m_accessibleDescription = description;
}

void HitAreaItem::fadeTo(qreal target)
{
    if (!m_fade) {
        m_fade = new QVariantAnimation(this);
        m_fade->setDuration(FadeMs);
        connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
            m_highlight = v.toReal();
            updateLook();
        });
    }
    m_fade->stop();
    m_fade->setStartValue(m_highlight);
    m_fade->setEndValue(target);
    m_fade->start();
}

void HitAreaItem::setPressed(bool pressed)
{
    if (m_pressed == pressed)
        return;
    m_pressed = pressed;
    updateLook();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.pressed = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void HitAreaItem::hoverEnterEvent(QGraphicsSceneHoverEvent *)
{
    setOpacity(0.5);
    fadeTo(1.0);
}

void HitAreaItem::hoverLeaveEvent(QGraphicsSceneHoverEvent *)
{
    setOpacity(1.0);
    fadeTo(0.0);
}

void HitAreaItem::beginPress()
{
    // A touch screen has no hover, so the press itself must show.
    setPressed(true);
}

void HitAreaItem::movePress(const QPointF &pos)
{
    setPressed(boundingRect().contains(pos));
}

void HitAreaItem::endPress(const QPointF &pos)
{
    const bool inside = boundingRect().contains(pos);
    setPressed(false);
    // Like a button: a finger that slides off before lifting sends nothing.
    if (inside)
        emit clicked();
}

void HitAreaItem::cancelPress()
{
    setPressed(false);
}

void HitAreaItem::click()
{
    beginPress();
    endPress(boundingRect().center());
}

void HitAreaItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    beginPress();
    event->accept();
}

void HitAreaItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    movePress(event->pos());
}

void HitAreaItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    endPress(event->pos());
}

void HitAreaItem::flash()
{
    // A second confirmation moves the end of the flash on, so that a flash is never cut short
    // by the end of an earlier one. It neither restarts the timer nor asks for a repaint: a
    // fast run of taps would pay for both on every tap, and the sign looks the same.
    m_flashUntil.setRemainingTime(FlashMs);
    if (m_flashing)
        return;
    if (!m_flashEnd) {
        m_flashEnd = new QTimer(this);
        m_flashEnd->setSingleShot(true);
        connect(m_flashEnd, &QTimer::timeout, this, [this] {
            const qint64 left = m_flashUntil.remainingTime();
            if (left > 0) {
                m_flashEnd->start(int(left));
                return;
            }
            m_flashing = false;
            updateLook();
        });
    }
    m_flashing = true;
    updateLook();
    m_flashEnd->start(FlashMs);
}

QVariant HitAreaItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    // A screen hidden under the pointer sends no hover leave: without this, the sign would
    // still look hovered when the screen comes back.
    if (change == ItemVisibleHasChanged && !value.toBool()) {
        if (m_fade)
            m_fade->stop();
        m_highlight = 0.0;
        m_pressed = false;
        setOpacity(1.0);
        // Hidden, it needs no repaint; and a repaint would drop a letter button's kept look.
        setFlag(ItemHasNoContents, isIdle());
    }
    return QGraphicsObject::itemChange(change, value);
}

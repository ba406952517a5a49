// SPDX-License-Identifier: GPL-3.0-or-later

#include "cornerbutton.h"

#include <QPainter>
#include <QPixmapCache>

namespace {
const QColor Outline(0x90, 0x90, 0x90);
const QColor FocusOutline(0x40, 0x60, 0x90);
const QColor Face(0xFA, 0xFA, 0xFA);
const QColor PressedFace(0xC8, 0xD8, 0xF0);
constexpr qreal CornerRadius = 3;
} // namespace

CornerButton::CornerButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::pressed, this, [this] { m_tapped = true; });
}

// The outline and the face are two antialiased fills (an antialiased outline drawn with a
// pen costs several times more), and still cost more than the rest of the button. A button
// is drawn again after every tap on it: once tapped, its look is drawn once per size, scale
// and state and then copied. Buttons never tapped keep no copy.
void CornerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A keyboard user sees which button Space would press.
    const QColor outline = hasFocus() ? FocusOutline : Outline;
    const QColor face = isDown() ? PressedFace : Face;
    // The device transform, not the world transform: drawn into a proxy's cache, the window's
    // scale reaches the painter as a redirection, outside the world transform.
    const QTransform toDevice = painter.deviceTransform();
    if (!m_tapped || toDevice.type() > QTransform::TxScale) {
        paintLook(&painter, outline, face);
    } else {
        const QRect device = toDevice.mapRect(QRectF(rect())).toAlignedRect();
        const QString key = QStringLiteral("zp-corner-button-%1x%2-%3x%4-%5-%6")
                                .arg(width())
                                .arg(height())
                                .arg(toDevice.m11())
                                .arg(toDevice.m22())
                                .arg(outline.rgba())
                                .arg(face.rgba());
        QPixmap look;
        if (!QPixmapCache::find(key, &look)) {
            look = QPixmap(device.size());
            look.fill(Qt::transparent);
            QPainter lookPainter(&look);
            lookPainter.setTransform(
                toDevice * QTransform::fromTranslate(-device.left(), -device.top()));
            paintLook(&lookPainter, outline, face);
            lookPainter.end();
            QPixmapCache::insert(key, look);
        }
        // Copied pixel for pixel: the world transform that, after the painter's own, leaves
        // only the move to the button's place.
        const QTransform world = painter.worldTransform();
        painter.setWorldTransform(
            QTransform::fromTranslate(device.left(), device.top()) * toDevice.inverted() * world);
        painter.drawPixmap(0, 0, look);
        painter.setWorldTransform(world);
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

void CornerButton::paintLook(QPainter *painter, const QColor &outline, const QColor &face) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(outline);
    painter->drawRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    painter->setBrush(face);
    painter->drawRoundedRect(
        QRectF(rect()).adjusted(1, 1, -1, -1), CornerRadius - 1, CornerRadius - 1);
    painter->restore();
}

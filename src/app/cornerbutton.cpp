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

CornerButton::CornerButton(const QString &text, const QColor &background, QWidget *parent)
    : QPushButton(text, parent)
    , m_background(background)
{
    setFocusPolicy(Qt::TabFocus);
}

// The antialiased rounded outline costs far more than the rest of the button: it is drawn
// once per size, scale and state, on the colour the button stands on, shared by the buttons
// alike, and after that copied without blending.
void CornerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The device transform, not the world transform: drawn into a proxy's cache, the window's
    // scale reaches the painter as a redirection, outside the world transform.
    const QTransform toDevice = painter.deviceTransform();
    // A keyboard user sees which button Space would press.
    const QColor outline = hasFocus() ? FocusOutline : Outline;
    const QColor face = isDown() ? PressedFace : Face;
    const QRectF outlineRect = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (toDevice.type() > QTransform::TxScale) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(outline);
        painter.setBrush(face);
        painter.drawRoundedRect(outlineRect, CornerRadius, CornerRadius);
    } else {
        const QRect device = toDevice.mapRect(QRectF(rect())).toAlignedRect();
        const QString key = QStringLiteral("zp-corner-button-%1x%2-%3x%4-%5-%6-%7")
                                .arg(width())
                                .arg(height())
                                .arg(toDevice.m11())
                                .arg(toDevice.m22())
                                .arg(outline.rgb())
                                .arg(face.rgb())
                                .arg(m_background.rgb());
        QPixmap drawn;
        if (!QPixmapCache::find(key, &drawn)) {
            drawn = QPixmap(device.size());
            drawn.fill(m_background);
            QPainter facePainter(&drawn);
            facePainter.setRenderHint(QPainter::Antialiasing);
            facePainter.setTransform(
                toDevice * QTransform::fromTranslate(-device.left(), -device.top()));
            facePainter.setPen(outline);
            facePainter.setBrush(face);
            facePainter.drawRoundedRect(outlineRect, CornerRadius, CornerRadius);
            facePainter.end();
            QPixmapCache::insert(key, drawn);
        }
        // Copied pixel for pixel: the world transform that, after the painter's own, leaves
        // only the move to the button's place.
        const QTransform world = painter.worldTransform();
        painter.setWorldTransform(
            QTransform::fromTranslate(device.left(), device.top()) * toDevice.inverted() * world);
        painter.drawPixmap(0, 0, drawn);
        painter.setWorldTransform(world);
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

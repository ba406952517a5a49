#include "cornerbutton.h"

#include <QPainter>

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
}

// Two antialiased fills, the outline's and the face's: an antialiased outline drawn with a
// pen costs several times more, and this button is drawn again after every tap on it.
void CornerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // A keyboard user sees which button Space would press.
    painter.setBrush(hasFocus() ? FocusOutline : Outline);
    painter.drawRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    painter.setBrush(isDown() ? PressedFace : Face);
    painter.drawRoundedRect(
        QRectF(rect()).adjusted(1, 1, -1, -1), CornerRadius - 1, CornerRadius - 1);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

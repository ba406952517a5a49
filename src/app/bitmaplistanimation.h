#pragma once

#include <QObject>
#include <QPixmap>

class ImageControlItem;

// A one-frame animation: switching it on paints its frame into the image control, which
// keeps showing it. Switching it on again while on, or off, changes nothing on screen.
class BitmapListAnimation : public QObject
{
    Q_OBJECT

public:
    BitmapListAnimation(
        const QString &name, const QPixmap &frame, ImageControlItem *target, QObject *parent);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QPixmap frame() const { return m_frame; }

private:
    QPixmap m_frame;
    ImageControlItem *m_target;
    bool m_enabled = false;
};

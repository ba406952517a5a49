// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

// A push button with rounded corners: the toggles and Connect Disconnect. It draws itself
// (outline, fill, caption) rather than through a style sheet: a toggle is drawn again after
// every tap on it, and a style sheet's general drawing is far dearer than two fills. A tap
// leaves the keyboard focus where it was; Tab still reaches the button.
class CornerButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CornerButton(const QString &text, QWidget *parent = nullptr);

    // Its size is the layout's, whatever the caption: the toolkit's own button margins would
    // make a proxied button grow over its neighbours.
    QSize minimumSizeHint() const override { return {1, 1}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintLook(QPainter *painter, const QColor &outline, const QColor &face) const;

    bool m_tapped = false;
};

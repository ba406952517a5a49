// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCheckBox>

// A check box that a finger can hit anywhere in its rectangle, not only on its mark and
// caption. It shows the keypad's state: a tap only asks for the change, and the box flips
// when the keypad takes the press and says so, not when a press is dropped.
class TapCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
    void nextCheckState() override { }
};

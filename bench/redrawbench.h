// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTextStream>

// The whole window redrawn after a press that swaps panels, against a window that draws
// one full-window pixmap; both through the widget's own repaint into its backing store.
class RedrawBench
{
public:
    RedrawBench(const QString &pinning, int count);

    bool run(QTextStream &out, int width, int height);

private:
    QString m_pinning;
    int m_count;
};

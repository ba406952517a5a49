// SPDX-License-Identifier: GPL-3.0-or-later

#include "firstframeprobe.h"

#include "posixpeers.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

void installProbe()
{
    QCoreApplication::instance()->installEventFilter(
        new FirstFrameProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)

bool FirstFrameProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint || m_painted || !watched->isWidgetType())
        return false;
    // Widgets drawn into a scene get paint events too, but belong to no window of their own.
    const QWindow *window = static_cast<QWidget *>(watched)->window()->windowHandle();
    if (window && window->isExposed()) {
        m_painted = true;
        QMetaObject::invokeMethod(this, &FirstFrameProbe::report, Qt::QueuedConnection);
    }
    return false;
}

void FirstFrameProbe::report()
{
    const std::int64_t frame = PosixPeers::nowNs();
    std::printf("frame %lld\n", static_cast<long long>(frame));
    std::fflush(stdout);
    // exit(), not quit(): closing the window belongs to no start, and the keypad would save
    // its settings on a close.
    QCoreApplication::exit(0);
}

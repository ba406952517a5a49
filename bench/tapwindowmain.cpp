// SPDX-License-Identifier: GPL-3.0-or-later

#include "benchkeypad.h"
#include "tmainclient.h"
#include "wireformat.h"
#include "zpapplication.h"

#include <QApplication>
#include <QScreen>
#include <QTcpSocket>
#include <QTest>
#include <QWidget>
#include <cstdio>

namespace {

// The sign the taps land on.
constexpr auto Sign = u"a6";

// The least a window can do for a tap: write the line on the release and take the reply in.
class MinimalWindow : public QWidget
{
public:
    explicit MinimalWindow(quint16 port)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_socket.readAll(); });
    }

    bool isConnected() { return m_socket.waitForConnected(3000); }

protected:
    void paintEvent(QPaintEvent *) override { }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        m_socket.write(WireFormat::encodeCommandLine(Sign));
        m_socket.flush();
    }

private:
    QTcpSocket m_socket;
};

void announce(const QPoint &at)
{
    std::printf("ready %d %d\n", at.x(), at.y());
    std::fflush(stdout);
}

} // namespace

// A full-screen window on the display it is given, connected to a loopback server, that
// prints where the sign to tap is: "keypad PORT" shows the keypad itself, "floor PORT" the
// minimal window it is set against.
int main(int argc, char *argv[])
{
    ZpApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const quint16 port = arguments.value(2).toUShort();
    if (arguments.value(1) == u"floor") {
        MinimalWindow window(port);
        window.setGeometry(window.screen()->geometry());
        window.showFullScreen();
        if (!window.isConnected() || !QTest::qWaitForWindowExposed(&window))
            return 1;
        announce(window.geometry().center());
        return app.exec();
    }
    BenchKeypad keypad;
    keypad.echoMessages();
    TMainClient *window = keypad.window();
    const QRect screen = window->screen()->geometry();
    if (!keypad.show(screen.width(), screen.height()) || !keypad.connectTo(port))
        return 1;
    window->showFullScreen();
    announce(window->mapToGlobal(keypad.centreOf(Sign)));
    return app.exec();
}

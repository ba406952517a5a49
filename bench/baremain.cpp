// SPDX-License-Identifier: GPL-3.0-or-later

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace {

// The least a real full-screen window does: it loads a font for one line of text, and it
// decodes a PNG picture, scales it to the window once and keeps that to draw from.
class FairWindow : public QWidget
{
public:
    explicit FairWindow(const QString &pictureFile)
        : m_pictureFile(pictureFile)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_picture.size() != size()) {
            m_picture = QPixmap::fromImage(
                QImage(m_pictureFile)
                    .scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_picture);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("ZP Client V 2.12"));
    }

private:
    QString m_pictureFile;
    QPixmap m_picture;
};

} // namespace

// The floors of a start, shown the way the keypad shows its own window: "empty", a window
// that draws nothing, and "fair", one that draws what any real window draws at least.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool fair = QCoreApplication::arguments().value(1) == u"fair";
    QWidget empty;
    FairWindow drawn(QStringLiteral(ZP_BENCH_FAIR_PICTURE));
    QWidget &window = fair ? static_cast<QWidget &>(drawn) : empty;
    window.setGeometry(window.screen()->geometry());
    window.showFullScreen();
    return app.exec();
}

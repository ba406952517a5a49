// SPDX-License-Identifier: GPL-3.0-or-later

#include "hitareaitem.h"
#include "panelitem.h"
#include "pressrules.h"
#include "windowfixture.h"

#include <QTest>
#include <functional>

// Something that changes what the window shows, done to a window that has been drawn.
using Change = std::function<void(WindowFixture &)>;
Q_DECLARE_METATYPE(Change)

namespace {

// The whole window drawn anew.
QImage drawn(const WindowFixture &w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// What the window shows: what its redraws have left behind, part by part.
QImage shown(const WindowFixture &w)
{
    return w->screen()
        ->grabWindow(w->winId())
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A panel's look is kept from one redraw to the next; each row changes the window after it
// has been drawn, so that a look kept from before the change would show.
void hide(WindowFixture &w, const char *name)
{
    w->item(QString::fromLatin1(name))->hide();
}

} // namespace

class TestPanelItem : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { PanelItem::setKeepsLooks(true); }
    void keptLookMatchesLookWorkedOutAfresh_data();
    void keptLookMatchesLookWorkedOutAfresh();
};

void TestPanelItem::keptLookMatchesLookWorkedOutAfresh_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("lookChanges"); // false: the window ends as it began

    const QSize hd(1920, 1080);
    QTest::newRow("each toggle pressed") << hd << Change([](WindowFixture &w) {
        for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
            w.press(QString::fromLatin1(pair.toggle));
            drawn(w);
        }
    }) << true;
    QTest::newRow("toggle pressed twice") << hd << Change([](WindowFixture &w) {
        w.press(u"enallagiIson");
        drawn(w);
        w.press(u"enallagiIson");
    }) << false;
    QTest::newRow("picture on the screen hidden")
        << hd << Change([](WindowFixture &w) { hide(w, "Image17"); }) << true;
    QTest::newRow("picture on a panel hidden")
        << hd << Change([](WindowFixture &w) { hide(w, "Image8"); }) << true;
    QTest::newRow("picture shown again") << hd << Change([](WindowFixture &w) {
        hide(w, "Image3");
        drawn(w);
        w->item(u"Image3")->show();
    }) << false;
    QTest::newRow("panel that no toggle swaps hidden")
        << hd << Change([](WindowFixture &w) { hide(w, "Panelyfesi"); }) << true;
    QTest::newRow("panel moved") << hd << Change([](WindowFixture &w) {
        QGraphicsItem *panel = w->item(u"PanelLoipa");
        panel->setPos(panel->pos() + QPointF(13, 7));
    }) << true;
    QTest::newRow("panel scaled") << hd << Change([](WindowFixture &w) {
        dynamic_cast<PanelItem *>(w->item(u"Paneldiastoles"))->setScale(1.2f, 1.4f);
    }) << true;
    QTest::newRow("sign hovered and left") << hd << Change([](WindowFixture &w) {
        // Through the window system, which tells the sign when the pointer leaves it.
        auto *sign = qobject_cast<HitAreaItem *>(w->component(u"xr24"));
        QTest::mouseMove(w->windowHandle(), w.centreOf(u"xr24"));
        QTRY_VERIFY(sign->isHighlighted());
        QTRY_COMPARE(shown(w), drawn(w));
        QTest::mouseMove(w->windowHandle(), QPoint(w->width() - 3, w->height() - 3));
        QTRY_VERIFY(!sign->isHighlighted());
    }) << false;
    QTest::newRow("sign pressed and released") << hd << Change([](WindowFixture &w) {
        auto *sign = qobject_cast<HitAreaItem *>(w->component(u"xr22"));
        QTest::mousePress(w->viewport(), Qt::LeftButton, {}, w.centreOf(u"xr22"));
        QVERIFY(sign->isPressed());
        QTRY_COMPARE(shown(w), drawn(w));
        QTest::mouseRelease(w->viewport(), Qt::LeftButton, {}, w.centreOf(u"xr22"));
    }) << false;
    QTest::newRow("window resized")
        << hd << Change([](WindowFixture &w) { w->resize(1366, 768); }) << true;
    QTest::newRow("window resized to an odd size")
        << QSize(1280, 800) << Change([](WindowFixture &w) { w->resize(1001, 677); }) << true;
    QTest::newRow("chart screen shown")
        << hd << Change([](WindowFixture &w) { w->session()->martyriesshowClick({}); }) << true;
    QTest::newRow("main screen shown again") << hd << Change([](WindowFixture &w) {
        w->session()->martyriesshowClick({});
        drawn(w);
        w->session()->Button1Click({});
        drawn(w);
        w.press(u"enallagikatavasi");
    }) << true;
}

void TestPanelItem::keptLookMatchesLookWorkedOutAfresh()
{
    QFETCH(QSize, size);
    QFETCH(Change, change);
    QFETCH(bool, lookChanges);

    WindowFixture w;
    QVERIFY(w.showAt(size));
    const QImage before = drawn(w);
    change(w);
    // Each part the change touched is drawn again, and nothing else is needed: once the
    // flashes and fades are over, the window shows what a whole redraw draws.
    QTRY_VERIFY(shown(w) == drawn(w));
    const QImage kept = drawn(w);
    PanelItem::setKeepsLooks(false);
    const QImage afresh = drawn(w);

    // The change shows, or is undone, as it should; a look kept from the wrong moment would
    // show something else.
    QCOMPARE(kept != before, lookChanges);
    QCOMPARE(kept.size(), afresh.size());
    QVERIFY(kept == afresh);
}

QTEST_MAIN(TestPanelItem)
#include "tst_panelitem.moc"

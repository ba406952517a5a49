// SPDX-License-Identifier: GPL-3.0-or-later

#include "layout.h"
#include "pairpanels.h"
#include "pressrulerunner.h"
#include "pressrules.h"
#include "presssurface.h"

#include <QMap>
#include <QStringList>
#include <QTest>

using Layout::Handler;

namespace {

// The main screen as far as a press rule can see it. The log holds what a user would notice
// in order: each send with the pairs as they stood at that moment (a failure message is up
// then), and each uncheck of the box.
class RecordingSurface : public PressSurface
{
public:
    // '1' shows a pair's primary, '2' its alternate.
    RecordingSurface(const QString &start, bool checked)
        : checked(checked)
    {
        Q_ASSERT(start.size() == int(std::size(pairPanels)));
        for (qsizetype i = 0; i < start.size(); ++i) {
            shown[QLatin1String(pairPanels[i][0])] = start[i] == u'1';
            shown[QLatin1String(pairPanels[i][1])] = start[i] == u'2';
        }
    }

    QString state() const
    {
        return pairState([this](const char *panel) { return shown.value(QLatin1String(panel)); });
    }

    void send() override { log << QStringLiteral("send ") + state(); }
    bool isShown(const char *panel) const override
    {
        const auto it = shown.constFind(QLatin1String(panel));
        if (it == shown.cend()) {
            strangers << QLatin1String(panel);
            return false;
        }
        return *it;
    }
    void show(const char *panel) override { set(panel, true); }
    void hide(const char *panel) override { set(panel, false); }
    void uncheckCheckBox() override
    {
        checked = false;
        log << QStringLiteral("uncheck");
    }

    QMap<QString, bool> shown;
    bool checked;
    QStringList log;
    // Panels a step named that are not on the main screen's pairs.
    mutable QStringList strangers;

private:
    void set(const char *panel, bool visible)
    {
        const QString name = QLatin1String(panel);
        if (!shown.contains(name))
            strangers << name;
        else
            shown[name] = visible;
    }
};

} // namespace

class TestPressRules : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void notARule_data();
    void notARule();
    void swap_data();
    void swap();
};

// Starting from all alternates shows that every pair a rule resets is reset both ways (its
// primary shown and its alternate hidden), and that the send comes before the resets: what a
// user sees while a failure message is up is the screen as it was, bar the martyria swap.
void TestPressRules::rules_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("checkedAtStart");
    QTest::addColumn<Handler>("rule");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("checkedAfter");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("c3: from the primaries") << "1111111" << false << Handler::c3Click << "1111111"
                                            << false << QStringList {"send 1111111"};
    QTest::newRow("c3: all alternates, martyriae kept")
        << "2222222" << false << Handler::c3Click << "1111112" << false
        << QStringList {"send 2222222"};
    QTest::newRow("c3: check box left checked")
        << "1211111" << true << Handler::c3Click << "1111111" << true
        << QStringList {"send 1211111"};

    QTest::newRow("ft8: phthora stays up") << "1111211" << false << Handler::ft8Click << "1111211"
                                           << false << QStringList {"send 1111211"};
    QTest::newRow("ft8: all alternates, phthorae and martyriae kept")
        << "2222222" << true << Handler::ft8Click << "1111212" << true
        << QStringList {"send 2222222"};

    QTest::newRow("m1: martyria signs up before the send")
        << "1111111" << false << Handler::m1Click << "1111122" << false
        << QStringList {"send 1111112"};
    QTest::newRow("m1: all alternates, the swap brings the letters back")
        << "2222222" << true << Handler::m1Click << "1111121" << true
        << QStringList {"send 2222221"};
    QTest::newRow("m1: with the tempo alternate up")
        << "2111121" << false << Handler::m1Click << "1111122" << false
        << QStringList {"send 2111122"};

    QTest::newRow("o1: letters back before the send, box unchecked after it")
        << "1111112" << true << Handler::o1Click << "1111121" << false
        << QStringList {"send 1111111", "uncheck"};
    QTest::newRow("o1: all alternates") << "2222222" << true << Handler::o1Click << "1111121"
                                        << false << QStringList {"send 2222221", "uncheck"};
    QTest::newRow("o1: box already clear") << "1111111" << false << Handler::o1Click << "1111122"
                                           << false << QStringList {"send 1111112", "uncheck"};

    QTest::newRow("o5: from the primaries, letters kept")
        << "1111111" << false << Handler::o5Click << "1111121" << false
        << QStringList {"send 1111111"};
    QTest::newRow("o5: martyria signs and box kept")
        << "1111112" << true << Handler::o5Click << "1111122" << true
        << QStringList {"send 1111112"};
    QTest::newRow("o5: all alternates") << "2222222" << true << Handler::o5Click << "1111122"
                                        << true << QStringList {"send 2222222"};

    QTest::newRow("ark1: resets nothing") << "1211111" << false << Handler::ark1Click << "1211111"
                                          << false << QStringList {"send 1211111"};
    QTest::newRow("ark1: all alternates, box kept")
        << "2222222" << true << Handler::ark1Click << "2222222" << true
        << QStringList {"send 2222222"};
}

void TestPressRules::rules()
{
    QFETCH(QString, start);
    QFETCH(bool, checkedAtStart);
    QFETCH(Handler, rule);

    RecordingSurface surface(start, checkedAtStart);
    QVERIFY(PressRuleRunner(surface).run(rule));

    QTEST(surface.log, "log");
    QTEST(surface.state(), "after");
    QTEST(surface.checked, "checkedAfter");
    QCOMPARE(surface.strangers, QStringList());
}

void TestPressRules::notARule_data()
{
    QTest::addColumn<Handler>("handler");

    QTest::newRow("None") << Handler::None;
    QTest::newRow("a toggle") << Handler::enallagiIsonClick;
    // The one toggle that a rule's own steps use.
    QTest::newRow("the martyria toggle") << Handler::enallagiMartyriesClick;
    QTest::newRow("a navigation button") << Handler::Button1Click;
}

void TestPressRules::notARule()
{
    QFETCH(Handler, handler);

    RecordingSurface surface(QStringLiteral("2121212"), true);
    QVERIFY(!PressRuleRunner(surface).run(handler));

    QCOMPARE(surface.log, QStringList());
    QCOMPARE(surface.state(), QStringLiteral("2121212"));
    QVERIFY(surface.checked);
    QCOMPARE(surface.strangers, QStringList());
}

void TestPressRules::swap_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QString>("toggle");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("alternate");
    QTest::addColumn<QString>("swapped"); // the state string after one swap from the primaries

    QTest::newRow("descent") << Handler::enallagikatavasiClick << "enallagikatavasi"
                             << "PanelKatavasi1"
                             << "PanelKatavasi2"
                             << "2111111";
    QTest::newRow("ascent") << Handler::enallagianavasiClick << "enallagianavasi"
                            << "Panelanavasi1"
                            << "Panelanavasi2"
                            << "1211111";
    QTest::newRow("quality") << Handler::CornerButton1Click << "CornerButton1"
                             << "PanelPoiotitas1"
                             << "PanelPoiotitas2"
                             << "1121111";
    QTest::newRow("ison") << Handler::enallagiIsonClick << "enallagiIson"
                          << "PanelIson1"
                          << "PanelIson2"
                          << "1112111";
    QTest::newRow("gorgon/phthora") << Handler::enallagifthoresClick << "enallagifthores"
                                    << "Panelgorgo"
                                    << "Panelfthores"
                                    << "1111211";
    QTest::newRow("tempo") << Handler::enallagixronikiagogiClick << "enallagixronikiagogi"
                           << "PanelxronikiAgogi1"
                           << "PanelxronikiAgogi2"
                           << "1111121";
    QTest::newRow("martyria") << Handler::enallagiMartyriesClick << "enallagiMartyries"
                              << "PanelMartyries1"
                              << "PanelMartyries2"
                              << "1111112";
}

void TestPressRules::swap()
{
    QFETCH(Handler, handler);
    QFETCH(QString, primary);
    QFETCH(QString, alternate);

    const PressRules::TogglePair *pair = PressRules::togglePair(handler);
    QVERIFY(pair);
    QTEST(QString::fromLatin1(pair->toggle), "toggle");
    QCOMPARE(QString::fromLatin1(pair->primary), primary);
    QCOMPARE(QString::fromLatin1(pair->alternate), alternate);

    RecordingSurface surface(QStringLiteral("1111111"), true);
    PressRuleRunner runner(surface);
    runner.swap(*pair);
    QTEST(surface.state(), "swapped");
    runner.swap(*pair);
    QCOMPARE(surface.state(), QStringLiteral("1111111"));

    // A pair showing both panels is not put right: each panel flips on its own.
    surface.shown[alternate] = true;
    runner.swap(*pair);
    QVERIFY(!surface.shown.value(primary));
    QVERIFY(!surface.shown.value(alternate));

    QCOMPARE(surface.log, QStringList());
    QVERIFY(surface.checked);
    QCOMPARE(surface.strangers, QStringList());
}

QTEST_MAIN(TestPressRules)
#include "tst_pressrules.moc"

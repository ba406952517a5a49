#include "tmainclient.h"

#include <QGraphicsItem>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

// Runs inside a network namespace that the script discovery_netns.sh makes, with the real
// discovery ports and a real broadcast; the stand-in server answers from the other end of a
// virtual cable and records the lines.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void findsTheServerAndSends();
};

void TestEndToEnd::findsTheServerAndSends()
{
    const QString serverHost = qEnvironmentVariable("ZP_E2E_SERVER_HOST");
    if (serverHost.isEmpty())
        QSKIP("Run by discovery_netns.sh inside its network namespace");

    QTemporaryDir folder;
    TMainClient::Options options;
    options.settingsPath = folder.filePath(QStringLiteral("ZP.INI"));
    TMainClient window(options);
    QStringList messages;
    window.setMessageBoxFunction([&](const QString &text) { messages << text; });
    window.resize(1280, 800);
    window.show();

    // The first request goes out one discovery period after start.
    QTRY_VERIFY_WITH_TIMEOUT(
        window.Memo1->toPlainText().contains(QStringLiteral("Client connected with server")),
        LinkDefaults::DiscoveryIntervalMs + 1500);
    QCOMPARE(window.Edit2->text(), serverHost);
    QCOMPARE(window.Edit3->text(), QStringLiteral("6000"));

    for (const char *name : {"a6", "kar6", "SpeedButton35"}) {
        QGraphicsItem *item = window.item(QString::fromLatin1(name));
        const QPoint centre = item->mapToScene(item->boundingRect().center()).toPoint();
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, centre);
    }
    QVERIFY(messages.isEmpty());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

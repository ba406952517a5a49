// SPDX-License-Identifier: GPL-3.0-or-later

#include "replyframer.h"

#include <QTest>

using Status = ReplyFramer::Status;
Q_DECLARE_METATYPE(ReplyFramer::Status)

class TestReplyFramer : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void chunkingDoesNotMatter();
};

// Each row feeds the chunks in order and takes lines until the framer says Incomplete;
// "results" lists what came out: a line's text, or "<too long>".
void TestReplyFramer::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<int>("leftOver");

    const QString tooLong = QStringLiteral("<too long>");
    const QByteArray limit(ReplyFramer::MaxLineLength, 'x');

    QTest::newRow("ok crlf") << QList<QByteArray> {"ok\r\n"} << QStringList {"ok"} << 0;
    QTest::newRow("ok lf") << QList<QByteArray> {"ok\n"} << QStringList {"ok"} << 0;
    QTest::newRow("bare crlf") << QList<QByteArray> {"\r\n"} << QStringList {""} << 0;
    QTest::newRow("bare lf") << QList<QByteArray> {"\n"} << QStringList {""} << 0;
    QTest::newRow("only one cr dropped")
        << QList<QByteArray> {"ok\r\r\n"} << QStringList {"ok\r"} << 0;
    QTest::newRow("cr not before lf stays")
        << QList<QByteArray> {"o\rk\n"} << QStringList {"o\rk"} << 0;
    QTest::newRow("incomplete stays") << QList<QByteArray> {"ok"} << QStringList {} << 2;
    QTest::newRow("completed later")
        << QList<QByteArray> {"o", "k\r", "\n"} << QStringList {"ok"} << 0;
    QTest::newRow("two lines, oldest first")
        << QList<QByteArray> {"ok\r\nno\r\n"} << QStringList {"ok", "no"} << 0;
    QTest::newRow("line then partial")
        << QList<QByteArray> {"ok\r\npar"} << QStringList {"ok"} << 3;
    QTest::newRow("high byte") << QList<QByteArray> {"\x80\n"}
                               << QStringList {QStringView(u"\uFFFD").toString()} << 0;
    QTest::newRow("exactly the limit")
        << QList<QByteArray> {limit + "\n"} << QStringList {QString::fromLatin1(limit)} << 0;
    QTest::newRow("limit counts the cr")
        << QList<QByteArray> {limit + "\r\n"} << QStringList {tooLong} << 0;
    QTest::newRow("one over the limit, then the next line")
        << QList<QByteArray> {limit + "x\r\nok\r\n"} << QStringList {tooLong, "ok"} << 0;
    QTest::newRow("limit without lf is still incomplete")
        << QList<QByteArray> {limit} << QStringList {} << int(ReplyFramer::MaxLineLength);
    QTest::newRow("over the limit without lf")
        << QList<QByteArray> {limit + "x"} << QStringList {tooLong} << 0;
    QTest::newRow("rest of an oversized line is skipped") << QList<QByteArray> {limit + "x", "yyy",
        "zz\r\nok\r\n"} << QStringList {tooLong, "ok"} << 0;
}

void TestReplyFramer::framing()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, results);

    ReplyFramer framer;
    QStringList out;
    for (const QByteArray &chunk : chunks) {
        framer.append(chunk);
        for (;;) {
            const ReplyFramer::Result r = framer.takeLine();
            if (r.status == Status::Incomplete)
                break;
            out << (r.status == Status::TooLong ? QStringLiteral("<too long>") : r.text);
        }
    }
    QCOMPARE(out, results);
    QTEST(int(framer.size()), "leftOver");
}

void TestReplyFramer::chunkingDoesNotMatter()
{
    const QByteArray stream
        = "ok\r\n\r\nOK\nok \r\n\x80\r\r\n" + QByteArray(20000, 'y') + "\nlast\n";
    auto frame = [](const QByteArray &bytes, int step) {
        ReplyFramer framer;
        QStringList out;
        for (int i = 0; i < bytes.size(); i += step) {
            framer.append(QByteArrayView(bytes).sliced(i, qMin<qsizetype>(step, bytes.size() - i)));
            for (auto r = framer.takeLine(); r.status != Status::Incomplete; r = framer.takeLine())
                out << (r.status == Status::TooLong ? QStringLiteral("<too long>") : r.text);
        }
        return out;
    };
    const QStringList whole = frame(stream, int(stream.size()));
    QCOMPARE(whole.size(), 7);
    QCOMPARE(whole.at(5), QStringLiteral("<too long>"));
    for (int step : {1, 2, 3, 7, 4096, 16384})
        QCOMPARE(frame(stream, step), whole);
}

QTEST_APPLESS_MAIN(TestReplyFramer)
#include "tst_replyframer.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "readingorder.h"

#include <QTest>

class TestReadingOrder : public QObject
{
    Q_OBJECT

private slots:
    void sort_data();
    void sort();
};

void TestReadingOrder::sort_data()
{
    QTest::addColumn<QList<QRectF>>("rects");
    QTest::addColumn<QList<qsizetype>>("order");

    using Rects = QList<QRectF>;
    using Order = QList<qsizetype>;
    QTest::newRow("nothing") << Rects {} << Order {};
    QTest::newRow("one line, right to left")
        << Rects {{40, 0, 10, 10}, {20, 0, 10, 10}, {0, 0, 10, 10}} << Order {2, 1, 0};
    QTest::newRow("two lines, given bottom first") << Rects {{0, 20, 10, 10}, {20, 20, 10, 10},
        {20, 0, 10, 10}, {0, 0, 10, 10}} << Order {3, 2, 0, 1};
    QTest::newRow("a tile standing higher stays in its line")
        << Rects {{0, 2, 10, 10}, {20, 0, 10, 10}, {40, 3, 10, 10}} << Order {0, 1, 2};
    QTest::newRow("a middle above the first's bottom joins its line")
        << Rects {{20, 0, 10, 10}, {0, 4, 10, 10}} << Order {1, 0};
    QTest::newRow("a middle below the first's bottom begins a line")
        << Rects {{20, 0, 10, 10}, {0, 6, 10, 10}} << Order {0, 1};
    QTest::newRow("a tall control joins the line its middle falls in")
        << Rects {{0, 0, 10, 40}, {20, 0, 10, 10}, {20, 20, 10, 10}} << Order {1, 0, 2};
    QTest::newRow("rects without height") << Rects {{10, 5, 10, 0}, {0, 5, 10, 0}} << Order {1, 0};
}

void TestReadingOrder::sort()
{
    QFETCH(QList<QRectF>, rects);
    QTEST(ReadingOrder::sort(rects), "order");
}

QTEST_MAIN(TestReadingOrder)
#include "tst_readingorder.moc"

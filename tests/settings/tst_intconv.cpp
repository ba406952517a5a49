// SPDX-License-Identifier: GPL-3.0-or-later

#include "intconv.h"

#include <QTest>
#include <limits>

class TestIntConv : public QObject
{
    Q_OBJECT

private slots:
    void strToInt_data();
    void strToInt();
    void invalidIntegerMessage_data();
    void invalidIntegerMessage();
};

void TestIntConv::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("value");

    constexpr qint32 intMax = std::numeric_limits<qint32>::max();
    constexpr qint32 intMin = std::numeric_limits<qint32>::min();

    QTest::newRow("plain decimal") << "6000" << true << 6000;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading space") << " 6000" << true << 6000;
    QTest::newRow("several leading spaces") << "   6000" << true << 6000;
    QTest::newRow("plus sign") << "+6000" << true << 6000;
    QTest::newRow("minus one") << "-1" << true << -1;
    QTest::newRow("space before sign") << "  -12" << true << -12;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("beyond 16 bits") << "65536" << true << 65536;
    QTest::newRow("beyond port range") << "70000" << true << 70000;
    QTest::newRow("int max") << "2147483647" << true << intMax;
    QTest::newRow("int max with leading zeros") << "0002147483647" << true << intMax;
    QTest::newRow("int max plus one") << "2147483648" << false << 0;
    QTest::newRow("int min") << "-2147483648" << true << intMin;
    QTest::newRow("int min minus one") << "-2147483649" << false << 0;
    QTest::newRow("twenty digits") << "12345678901234567890" << false << 0;

    QTest::newRow("dollar hex") << "$1770" << true << 6000;
    QTest::newRow("0x hex") << "0x1770" << true << 6000;
    QTest::newRow("0X hex") << "0X1770" << true << 6000;
    QTest::newRow("x hex") << "x1770" << true << 6000;
    QTest::newRow("X hex") << "X1770" << true << 6000;
    QTest::newRow("lower-case hex digits") << "$ff" << true << 255;
    QTest::newRow("hex leading zeros") << "$0001" << true << 1;
    QTest::newRow("hex all ones is minus one") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex top bit is int min") << "$80000000" << true << intMin;
    QTest::newRow("hex largest positive") << "0x7fffffff" << true << intMax;
    QTest::newRow("minus before hex") << "-$10" << true << -16;
    QTest::newRow("plus before hex") << "+0x10" << true << 16;
    QTest::newRow("minus before hex int min") << "-$80000000" << true << intMin;
    // Negated, these patterns lie below the 32-bit range: no wrap round to a small number.
    QTest::newRow("minus before hex all ones") << "-$FFFFFFFF" << false << 0;
    QTest::newRow("minus before hex beyond int min") << "-$80000001" << false << 0;
    QTest::newRow("minus before hex wrapping to 6000") << "-$FFFFE890" << false << 0;
    QTest::newRow("minus before 0x wrapping to 6000") << "-0xFFFFE890" << false << 0;
    QTest::newRow("nine hex digits") << "$100000000" << false << 0;
    QTest::newRow("nine hex digits, leading zero") << "$0FFFFFFFF" << true << -1;
    QTest::newRow("non-hex letter after prefix") << "0x1G" << false << 0;
    QTest::newRow("sign after hex prefix") << "$-1" << false << 0;
    QTest::newRow("two hex prefixes") << "0x$10" << false << 0;

    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("only a space") << " " << false << 0;
    QTest::newRow("only plus") << "+" << false << 0;
    QTest::newRow("only minus") << "-" << false << 0;
    QTest::newRow("only dollar") << "$" << false << 0;
    QTest::newRow("only 0x") << "0x" << false << 0;
    QTest::newRow("only x") << "x" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing space") << "6000 " << false << 0;
    QTest::newRow("space after sign") << "- 1" << false << 0;
    QTest::newRow("two signs") << "+-1" << false << 0;
    QTest::newRow("space inside") << "60 00" << false << 0;
    QTest::newRow("exponent") << "6e3" << false << 0;
    QTest::newRow("decimal point") << "6000.0" << false << 0;
    QTest::newRow("tab before") << "\t6000" << false << 0;
    QTest::newRow("no-break space before") << QStringLiteral("\u00A06000") << false << 0;
    QTest::newRow("Arabic-Indic digits")
        << QStringLiteral("\u0666\u0660\u0660\u0660") << false << 0;
    QTest::newRow("fullwidth digits") << QStringLiteral("\uFF16\uFF10") << false << 0;
    QTest::newRow("fullwidth hex letter") << QStringLiteral("$\uFF21") << false << 0;
}

void TestIntConv::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint32, value);

    const std::optional<qint32> result = ::strToInt(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

void TestIntConv::invalidIntegerMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("trailing space") << "6000 "
                                    << "'6000 ' is not a valid integer value";
    QTest::newRow("empty") << ""
                           << "'' is not a valid integer value";
    QTest::newRow("placeholder-like text") << "%1%2"
                                           << "'%1%2' is not a valid integer value";
}

void TestIntConv::invalidIntegerMessage()
{
    QFETCH(QString, text);
    QFETCH(QString, message);

    QCOMPARE(::invalidIntegerMessage(text), message);
}

QTEST_APPLESS_MAIN(TestIntConv)
#include "tst_intconv.moc"

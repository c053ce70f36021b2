#include "core/Ipv4.h"

#include <QTest>

namespace {
const QString kRefused = QStringLiteral("-");

QString readAs(const QString &text, Ipv4Syntax syntax)
{
    const std::optional<quint32> address = readIpv4(text, syntax);
    return address ? dottedIpv4(*address) : kRefused;
}
} // namespace

class TestIpv4 : public QObject {
    Q_OBJECT

private slots:
    void syntaxes_data();
    void syntaxes();
    void fieldsAreNotSplit();
    void splitIpAddress_data();
    void splitIpAddress();
    void dotted_data();
    void dotted();
};

// One text under the three rules side by side, so a row shows where they part.
void TestIpv4::syntaxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("integerParts");
    QTest::addColumn<QString>("integerFields");
    QTest::addColumn<QString>("plainDecimal");
    const QString no = kRefused;
    QTest::newRow("plain") << "192.168.2.205" << "192.168.2.205" << "192.168.2.205" << "192.168.2.205";
    QTest::newRow("bounds") << "0.0.255.255" << "0.0.255.255" << "0.0.255.255" << "0.0.255.255";
    QTest::newRow("leading zeros are decimal") << "010.001.000.009" << "10.1.0.9" << "10.1.0.9" << "10.1.0.9";
    QTest::newRow("four-digit part") << "0010.0.0.1" << "10.0.0.1" << "10.0.0.1" << no;
    QTest::newRow("hexadecimal") << "$FF.x10.0x0A.0XfF" << "255.16.10.255" << "255.16.10.255" << no;
    QTest::newRow("signs") << "+1.-0.+0.-$0" << "1.0.0.0" << "1.0.0.0" << no;
    QTest::newRow("blanks around the address") << " 1.2.3.4 " << "1.2.3.4" << no << no;
    QTest::newRow("blanks before parts") << "1. 2.  3. 4" << "1.2.3.4" << "1.2.3.4" << no;
    QTest::newRow("blank after a part") << "1 .2.3.4" << "1.2.3.4" << no << no;
    QTest::newRow("control characters around parts") << "\t1.2\r.3.4\n" << "1.2.3.4" << no << no;
    QTest::newRow("256") << "1.2.3.256" << no << no << no;
    QTest::newRow("hexadecimal above 255") << "$100.0.0.0" << no << no << no;
    QTest::newRow("negative") << "1.2.3.-1" << no << no << no;
    QTest::newRow("five parts") << "1.2.3.4.5" << no << no << no;
    QTest::newRow("three parts") << "1.2.3" << no << no << no;
    QTest::newRow("trailing dot") << "1.2.3.4." << no << no << no;
    QTest::newRow("empty part") << "1..3.4" << no << no << no;
    QTest::newRow("blank part") << "1. .3.4" << no << no << no;
    QTest::newRow("sign alone") << "1.+.3.4" << no << no << no;
    QTest::newRow("letters") << "a.b.c.d" << no << no << no;
    QTest::newRow("empty") << "" << no << no << no;
}

void TestIpv4::syntaxes()
{
    QFETCH(QString, text);
    QFETCH(QString, integerParts);
    QFETCH(QString, integerFields);
    QFETCH(QString, plainDecimal);
    QCOMPARE(readAs(text, Ipv4Syntax::IntegerParts), integerParts);
    QCOMPARE(readAs(text, Ipv4Syntax::IntegerFields), integerFields);
    QCOMPARE(readAs(text, Ipv4Syntax::PlainDecimal), plainDecimal);
}

// Four separate fields: a dot inside one is no fifth part but a field that is not a number.
void TestIpv4::fieldsAreNotSplit()
{
    QCOMPARE(readIpv4(Ipv4Parts {"192", " 168", "$0", "010"}, Ipv4Syntax::IntegerFields), std::optional<quint32>(0xC0A8000A));
    QCOMPARE(readIpv4(Ipv4Parts {"1.2", "3", "4", "5"}, Ipv4Syntax::IntegerFields), std::nullopt);
}

void TestIpv4::splitIpAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("plain") << "192.168.2.205" << true << QStringList {"192", "168", "2", "205"};
    QTest::newRow("spaces around numbers and dots")
        << " 192 . 168 . 2 . 205 " << true << QStringList {"192", "168", "2", "205"};
    QTest::newRow("control characters at the ends") << "\t10.0.0.1\r\n" << true << QStringList {"10", "0", "0", "1"};
    QTest::newRow("leading zeros kept") << "192.168.002.205" << true << QStringList {"192", "168", "002", "205"};
    QTest::newRow("hexadecimal part") << "$C0.168.2.1" << true << QStringList {"$C0", "168", "2", "1"};
    QTest::newRow("bounds") << "0.0.255.255" << true << QStringList {"0", "0", "255", "255"};
    QTest::newRow("above 255") << "192.168.2.300" << false << QStringList();
    QTest::newRow("three parts") << "1.2.3" << false << QStringList();
    QTest::newRow("five parts") << "1.2.3.4.5" << false << QStringList();
    QTest::newRow("empty part") << "1..2.3" << false << QStringList();
    QTest::newRow("negative") << "-1.2.3.4" << false << QStringList();
    QTest::newRow("letters") << "a.b.c.d" << false << QStringList();
    QTest::newRow("empty") << "" << false << QStringList();
}

void TestIpv4::splitIpAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QStringList, parts);
    QString p1, p2, p3, p4;
    QCOMPARE(Split_IP_Address(text, p1, p2, p3, p4), ok);
    if (ok)
        QCOMPARE((QStringList {p1, p2, p3, p4}), parts);
}

void TestIpv4::dotted_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << quint32(0) << "0.0.0.0";
    QTest::newRow("all ones") << quint32(0xFFFFFFFF) << "255.255.255.255";
    QTest::newRow("no leading zeros") << quint32(0x0A000801) << "10.0.8.1";
    QTest::newRow("first number from the top byte") << quint32(0xC0A802CD) << "192.168.2.205";
}

void TestIpv4::dotted()
{
    QFETCH(quint32, address);
    QFETCH(QString, text);
    QCOMPARE(dottedIpv4(address), text);
    const quint8 bytes[4] = {quint8(address >> 24), quint8(address >> 16), quint8(address >> 8), quint8(address)};
    QCOMPARE(dottedIpv4(bytes), text);
    // What is written goes to the network, so it must pass the strictest rule.
    QCOMPARE(readIpv4(text, Ipv4Syntax::PlainDecimal), std::optional<quint32>(address));
}

QTEST_GUILESS_MAIN(TestIpv4)
#include "test_ipv4.moc"

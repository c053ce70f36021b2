// The pieces of fleet commissioning: the CSV reader, the network rule, values as people write
// them, and the plan check.
#include "core/Csv.h"
#include "core/NearestMatch.h"
#include "i18n/Language.h"
#include "params/FleetPlan.h"
#include "params/NetworkRules.h"
#include "params/ParameterText.h"
#include "projects/Configurations.h"
#include "support/TestSupport.h"

#include <QTest>

Q_DECLARE_METATYPE(ParameterValues)

namespace {

// "2|a|b" per record: its line, then its fields.
QStringList describe(const CsvTable &table)
{
    QStringList out;
    for (const CsvRecord &record : table.records)
        out << (QStringList{QString::number(record.line)} + record.fields).join(u'|');
    return out;
}

// "LINE: COLUMN: message", or "LINE: warning: message".
QStringList describe(const QList<PlanProblem> &problems)
{
    QStringList out;
    for (const PlanProblem &p : problems)
        out << QStringLiteral("%1: %2: %3").arg(p.line).arg(p.warning ? QStringLiteral("warning") : p.column, p.message);
    return out;
}

ParameterValues withAddress(const QString &ip, const QString &mask, const QString &gateway = QString())
{
    ParameterValues values = defaultParameterValues();
    const auto put = [&values](Param::Id first, const QString &dotted) {
        const QStringList parts = dotted.split(u'.');
        for (int i = 0; i < 4; ++i)
            values[first + i] = parts.value(i);
    };
    put(Param::ModbusTCPSlave_IP1, ip);
    put(Param::ModbusTCPSlave_SM1, mask);
    if (!gateway.isEmpty()) {
        put(Param::ModbusTCPSlave_GAT1, gateway);
        values[Param::ModbusTCPSlave_En_GAT] = QStringLiteral("1");
    }
    return values;
}

TextTable englishTexts()
{
    TextTable texts;
    Set_Default_Lang(texts);
    return texts;
}

} // namespace

class TestFleet : public QObject {
    Q_OBJECT

private slots:
    void csvReads_data();
    void csvReads();
    void csvRefuses_data();
    void csvRefuses();
    void csvWritesWhatItReads();
    void csvFallsBackToWindows1252();

    void slipsFindTheirWord_data();
    void slipsFindTheirWord();

    void cellsNoSpreadsheetRuns_data();
    void cellsNoSpreadsheetRuns();

    void networkWarnings_data();
    void networkWarnings();

    void valuesAsPeopleWriteThem_data();
    void valuesAsPeopleWriteThem();

    void planProblems_data();
    void planProblems();
    void planRowsResultFromTheStoredValues();
};

void TestFleet::csvReads_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("comma, LF") << QByteArray("Name,Serial_Baud\nA,3\n") << "," << QStringList{"1|Name|Serial_Baud", "2|A|3"};
    QTest::newRow("semicolon, CRLF, no last line end")
        << QByteArray("Name;Serial_Baud\r\nA;3\r\nB;4") << ";" << QStringList{"1|Name|Serial_Baud", "2|A|3", "3|B|4"};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFName;X\nA;\xC3\xA9") << ";"
                                     << QStringList{"1|Name|X", QStringLiteral("2|A|\u00E9")};
    QTest::newRow("doubled quotes, delimiters in quotes")
        << QByteArray("Name,V\n\"a \"\"b\"\", c\",\"x;y\"\n") << "," << QStringList{"1|Name|V", "2|a \"b\", c|x;y"};
    QTest::newRow("line break in quotes moves the line count")
        << QByteArray("Name,V\r\n\"two\r\nlines\",1\r\nC,2\r\n") << ","
        << QStringList{"1|Name|V", "2|two\r\nlines|1", "4|C|2"};
    QTest::newRow("blank lines skipped, a quoted empty line is a record")
        << QByteArray("\n\nName\n\n\r\nA\n\"\"\n") << "," << QStringList{"3|Name", "6|A", "7|"};
    QTest::newRow("a quoted empty field is an empty field") << QByteArray("a,,\"\",b,\"\"\"\"\"\"") << ","
                                                            << QStringList{"1|a|||b|\"\""};
    QTest::newRow("semicolons win over commas in the header")
        << QByteArray("Name;A;B\nx,y;1;2\n") << ";" << QStringList{"1|Name|A|B", "2|x,y|1|2"};
    QTest::newRow("one column: data commas do not decide")
        << QByteArray("Name\nPlant; Hall 2\n") << "," << QStringList{"1|Name", "2|Plant; Hall 2"};
    QTest::newRow("quote inside an unquoted field stays") << QByteArray("a\"b,c") << ","
                                                           << QStringList{"1|a\"b|c"};
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb") << "," << QStringList{"1|a", "2|b"};
    // The delimiter is found the way the fields are read: a quote inside a field opens nothing.
    QTest::newRow("quote inside a header field, semicolons")
        << QByteArray("Size 5\";Name;Hall\n1\";\"x;y\";3\n") << ";"
        << QStringList{"1|Size 5\"|Name|Hall", "2|1\"|x;y|3"};
    QTest::newRow("doubled quote in a quoted header field")
        << QByteArray("\"a\"\";b\",c\n1,2\n") << "," << QStringList{"1|a\";b|c", "2|1|2"};
    QTest::newRow("nothing") << QByteArray() << "," << QStringList{};
}

void TestFleet::csvReads()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, records);
    CsvTable table;
    CsvError error;
    QVERIFY2(readCsv(data, &table, &error), qPrintable(error.message));
    QCOMPARE(QString(table.delimiter), delimiter);
    QCOMPARE(describe(table), records);
}

void TestFleet::csvRefuses_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("quote never closed") << QByteArray("Name\nA\n\"B\nC\n") << 3 << "does not end";
    QTest::newRow("text after a closing quote") << QByteArray("Name\n\"A\"x\n") << 2 << "after the closing quote";
}

void TestFleet::csvRefuses()
{
    QFETCH(QByteArray, data);
    QFETCH(int, line);
    QFETCH(QString, message);
    CsvTable table;
    CsvError error;
    QVERIFY(!readCsv(data, &table, &error));
    QCOMPARE(error.line, line);
    QVERIFY2(error.message.contains(message), qPrintable(error.message));
}

void TestFleet::csvWritesWhatItReads()
{
    const QStringList fields{"plain", "", " lead", "trail ", "a,b", "a;b", "say \"hi\"", "two\nlines", "cr\r\nlf",
                             QStringLiteral("Z\u00FCrich \u6771")};
    const QString record = csvRecord(fields);
    QVERIFY(record.endsWith(QStringLiteral("\r\n")));
    QVERIFY(record.startsWith(QStringLiteral("plain,,\" lead\"")));
    CsvTable table;
    CsvError error;
    QVERIFY(readCsv((record + record).toUtf8(), &table, &error));
    QCOMPARE(table.records.size(), 2);
    QCOMPARE(table.records.at(1).fields, fields);
    QCOMPARE(table.records.at(1).line, 4); // the first record spans three lines

    // Written with semicolons, commas in the fields do not make the reader take commas.
    const QStringList header{"x,y", "a,b,c", "z"};
    QVERIFY(readCsv(csvRecord(header, u';').toUtf8(), &table, &error));
    QCOMPARE(table.delimiter, QChar(u';'));
    QCOMPARE(table.records.at(0).fields, header);
}

void TestFleet::csvFallsBackToWindows1252()
{
    CsvTable table;
    CsvError error;
    QVERIFY(readCsv("Name;Note\r\nA;ok\r\nCaf\xE9;\x80 5\r\n", &table, &error));
    QCOMPARE(table.notUtf8Line, 3);
    QCOMPARE(describe(table), (QStringList{"1|Name|Note", "2|A|ok", QStringLiteral("3|Caf\u00E9|\u20AC 5")}));
    // A byte-order mark before text that is not UTF-8 after all is no part of the first cell.
    QVERIFY(readCsv("\xEF\xBB\xBFName\nCaf\xE9\n", &table, &error));
    QCOMPARE(describe(table), (QStringList{"1|Name", QStringLiteral("2|Caf\u00E9")}));
    QVERIFY(readCsv(QStringLiteral("Name\nCaf\u00E9\n").toUtf8(), &table, &error));
    QCOMPARE(table.notUtf8Line, 0);
}

void TestFleet::slipsFindTheirWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("nearest");
    QTest::newRow("one letter too many") << "sett" << QStringList{"set"};
    QTest::newRow("two letters swapped") << "lsit" << QStringList{"list"};
    QTest::newRow("one letter missing, other case") << "serial_bad" << QStringList{"Serial_Baud"};
    QTest::newRow("two edits in a long word") << "Serail_Baudd" << QStringList{"Serial_Baud"};
    QTest::newRow("several as near") << "ModbusTCPSlave_IP"
                                     << QStringList{"ModbusTCPSlave_IP1", "ModbusTCPSlave_IP2", "ModbusTCPSlave_IP3",
                                                    "ModbusTCPSlave_IP4"};
    QTest::newRow("a short word allows one edit") << "sxx" << QStringList{};
    QTest::newRow("a plant's own column") << "Remarks" << QStringList{};
}

void TestFleet::slipsFindTheirWord()
{
    QFETCH(QString, word);
    QFETCH(QStringList, nearest);
    const QStringList known = QStringList{"set", "list", "show", "new"} + parameterKeys();
    QCOMPARE(nearestMatches(word, known), nearest);
}

void TestFleet::cellsNoSpreadsheetRuns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::newRow("equals") << "=1+2" << "'=1+2";
    QTest::newRow("plus") << "+1" << "'+1";
    QTest::newRow("minus, as a number") << "-1" << "'-1";
    QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
    QTest::newRow("tab") << "\t=1" << "'\t=1";
    QTest::newRow("carriage return") << "\r=1" << "'\r=1";
    QTest::newRow("an apostrophe before a formula") << "'=1" << "''=1";
    QTest::newRow("apostrophes before a formula") << "''-1" << "'''-1";
    QTest::newRow("an apostrophe before a text") << "'x" << "''x";
    QTest::newRow("a lone apostrophe") << "'" << "''";
    QTest::newRow("two quote marks") << "\"\"" << "'\"\"";
    QTest::newRow("a formula character later") << "a=b" << "a=b";
    QTest::newRow("empty") << "" << "\"\"";
}

void TestFleet::cellsNoSpreadsheetRuns()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    QCOMPARE(planCell(text), cell);
    QCOMPARE(planCellValue(cell), text);
    QVERIFY(!startsLikeFormula(cell));
}

void TestFleet::networkWarnings_data()
{
    QTest::addColumn<ParameterValues>("values");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("message");
    const QString ip = QStringLiteral("ModbusTCPSlave_IP1");
    QTest::newRow("the defaults") << defaultParameterValues() << QStringList{} << "";
    QTest::newRow("an ordinary /15") << withAddress("10.1.0.0", "255.254.0.0") << QStringList{} << "";
    QTest::newRow("mask with a hole") << withAddress("10.0.0.1", "255.0.255.0") << QStringList{"ModbusTCPSlave_SM1"}
                                      << "255.0.255.0 is not a run";
    QTest::newRow("network address") << withAddress("10.0.0.0", "255.255.255.0") << QStringList{ip}
                                     << "network address of its subnet 10.0.0.0/24";
    QTest::newRow("broadcast address") << withAddress("10.0.1.255", "255.255.254.0") << QStringList{ip}
                                       << "broadcast address of its subnet 10.0.0.0/23";
    QTest::newRow("/31 has neither") << withAddress("10.0.0.0", "255.255.255.254") << QStringList{} << "";
    QTest::newRow("/32 has neither") << withAddress("10.0.0.7", "255.255.255.255") << QStringList{} << "";
    QTest::newRow("gateway outside the subnet") << withAddress("10.0.0.5", "255.255.255.0", "10.0.1.1")
                                                << QStringList{"ModbusTCPSlave_GAT1"} << "gateway 10.0.1.1 lies outside";
    QTest::newRow("gateway inside") << withAddress("10.0.0.5", "255.255.255.0", "10.0.0.1") << QStringList{} << "";
    ParameterValues gatewayOff = withAddress("10.0.0.5", "255.255.255.0", "172.16.0.1");
    gatewayOff[Param::ModbusTCPSlave_En_GAT] = QStringLiteral("0");
    QTest::newRow("gateway outside but off") << gatewayOff << QStringList{} << "";
    QTest::newRow("this network 0/8") << withAddress("0.1.2.3", "255.255.255.0") << QStringList{ip} << "0.0.0.0/8";
    QTest::newRow("loopback") << withAddress("127.0.0.1", "255.0.0.0") << QStringList{ip} << "loopback";
    QTest::newRow("multicast") << withAddress("230.1.2.3", "255.255.255.0") << QStringList{ip} << "multicast";
    QTest::newRow("last multicast is also a broadcast")
        << withAddress("239.255.255.255", "255.255.255.0") << QStringList{ip, ip} << "multicast";
    QTest::newRow("240/4 is not in the list") << withAddress("240.0.0.1", "255.255.255.0") << QStringList{} << "";
    QTest::newRow("limited broadcast") << withAddress("255.255.255.255", "255.255.255.0") << QStringList{ip, ip}
                                       << "limited broadcast";
    QTest::newRow("numbers as the rules read them") << withAddress(" 10.$0.0x0.0", "255.255.255.0") << QStringList{ip}
                                                    << "network address";
    QTest::newRow("a number out of range is the rules' business")
        << withAddress("10.0.0.256", "255.255.0.255") << QStringList{"ModbusTCPSlave_SM1"} << "not a run";
    QTest::newRow("a mask that is no number") << withAddress("10.0.0.0", "255.abc.255.0") << QStringList{} << "";
}

void TestFleet::networkWarnings()
{
    QFETCH(ParameterValues, values);
    QFETCH(QStringList, keys);
    QFETCH(QString, message);
    const QList<NetworkWarning> warnings = ::networkWarnings(values, englishTexts());
    QStringList found;
    for (const NetworkWarning &w : warnings)
        found << w.key;
    QCOMPARE(found, keys);
    if (!warnings.isEmpty())
        QVERIFY2(warnings.first().message.contains(message), qPrintable(warnings.first().message));
}

void TestFleet::valuesAsPeopleWriteThem_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::addColumn<QString>("error");
    QTest::newRow("item") << "Serial_Baud" << "9600" << "3" << "";
    QTest::newRow("item in any case") << "Serial_Parity" << "even" << "2" << "";
    QTest::newRow("item with a slash") << "Serial_Serial" << "rs485/rs422" << "1" << "";
    QTest::newRow("translated item") << "Serial_Send_Type" << "FIX NUM BYTES" << "2" << "";
    QTest::newRow("item before index") << "Serial_DataBits" << "7" << "0" << "";
    QTest::newRow("index") << "Serial_DataBits" << "1" << "1" << "";
    QTest::newRow("index as the rule converts it") << "Serial_Baud" << "$3" << "3" << "";
    QTest::newRow("no item selected") << "Serial_Baud" << "-1" << "-1" << "";
    QTest::newRow("index past the list") << "Serial_Parity" << "3" << "" << "2 (EVEN)";
    QTest::newRow("below -1") << "Serial_Parity" << "-2" << "" << "none of the items";
    QTest::newRow("empty choice") << "Serial_Parity" << "" << "" << "none of the items";
    QTest::newRow("flag") << "ModbusTCPSlave_En_GAT" << "1" << "1" << "";
    QTest::newRow("flag in words") << "ModbusTCPSlave_En_GAT" << "yes" << "" << "1 or 0";
    QTest::newRow("number as typed") << "Serial_TimeOut_RX" << " 5x" << " 5x" << "";
    QTest::newRow("empty number") << "Serial_End_Char" << "" << "" << "";
    QTest::newRow("control character") << "Serial_TimeOut_RX" << QStringLiteral("5\u0001") << "" << "U+0001";
    QTest::newRow("non-character") << "ModbusSlave_Serial" << QStringLiteral("RS232\uFFFF") << "" << "U+FFFF";
}

void TestFleet::valuesAsPeopleWriteThem()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QFETCH(QString, error);
    QString why;
    const std::optional<QString> result = storedValueOf(*findParameter(key), text, englishTexts(), &why);
    if (error.isEmpty()) {
        QVERIFY2(result, qPrintable(why));
        QCOMPARE(*result, stored);
    } else {
        QVERIFY(!result);
        QVERIFY2(why.contains(error), qPrintable(why));
    }
}

void TestFleet::planProblems_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<QStringList>("rows");
    // The workspace holds "Old" at 10.0.0.1 and "Kept" at 10.0.0.2 (see planProblems).
    QTest::newRow("a clean plan") << QByteArray("Name,ModbusTCPSlave_IP1,ModbusTCPSlave_IP4\nA,10,11\nOld,,12\n")
                                  << QStringList{} << QStringList{"A", "Old"};
    QTest::newRow("header faults") << QByteArray("Serial_Baud,Serial_Bad,SERIAL_BAUD\n")
                                   << QStringList{"1: Serial_Bad: unknown column; did you mean \"Serial_Baud\"?",
                                                  "1: SERIAL_BAUD: the column appears twice",
                                                  "1: Name: the plan has no Name column"}
                                   << QStringList{};
    // A plant's sheet: keys in its own letter case, columns of its own, rows of remarks alone.
    QTest::newRow("columns of the plant's own are left out")
        << QByteArray("NAME,Remarks,serial_baud,Cabinet,ModbusTCPSlave_IP4\nA,spare unit,9600,C7,21\n,Hall 2,,,\nB,,,,22\n")
        << QStringList{"1: warning: the column \"Remarks\" is no parameter key; it is left out",
                       "1: warning: the column \"Cabinet\" is no parameter key; it is left out"}
        << QStringList{"A", "B"};
    QTest::newRow("a name with a blank at its start is written as given")
        << QByteArray("Name,ModbusTCPSlave_IP4\n\" Line 4\",21\n")
        << QStringList{"2: warning: the name \" Line 4\" begins or ends with a blank; it is written as given"}
        << QStringList{" Line 4"};
    QTest::newRow("Windows-1252")
        << QByteArray("Name,ModbusTCPSlave_IP4\nA,21\nCaf\xE9,22\n")
        << QStringList{"3: warning: this line is not UTF-8: the plan is read as Windows-1252"}
        << QStringList{"A", QStringLiteral("Caf\u00E9")};
    QTest::newRow("an empty plan") << QByteArray("\n\n") << QStringList{"1: Name: the plan has no Name column"}
                                   << QStringList{};
    // What the file system would refuse is foreseen: a file of that name, a name too long.
    QTest::newRow("names by the New Configuration rules")
        << QByteArray("Name,ModbusTCPSlave_IP4\n,21\na/b,22\n.hidden,23\nA file,24\n" + QByteArray(256, 'x') + ",25\n")
        << QStringList{"2: Name: Error! Name Project is not valid", "3: Name: Error! Name project is not valid",
                       "4: Name: Error! Name project is not valid", "5: Name: Error! Name project is not valid",
                       "6: Name: Error! Name project is not valid"}
        << QStringList{};
    QTest::newRow("names collide in any letter case")
        << QByteArray("Name,ModbusTCPSlave_IP4\nLine,21\nLINE,22\nold,23\n")
        << QStringList{"3: Name: \"LINE\" names the same configuration as line 2",
                       "4: Name: \"old\" differs from the configuration \"Old\" only in letter case"}
        << QStringList{"Line"};
    // Windows and macOS take these for one folder; a value is never read as a placeholder.
    QTest::newRow("names collide in normalisation and trailing blanks or dots")
        << QStringLiteral("Name,ModbusTCPSlave_IP4\nCaf\u00E9,21\nCafe\u0301,22\nOld.,23\nOLD .,24\nunit%2,25\n"
                          "Unit%2,26\n")
               .toUtf8()
        << QStringList{QStringLiteral("3: Name: \"Cafe\u0301\" names the same configuration as line 2"),
                       "4: Name: \"Old.\" differs from the configuration \"Old\" only in trailing blanks or dots",
                       "5: Name: \"OLD .\" differs from the configuration \"Old\" only in letter case and trailing "
                       "blanks or dots",
                       "5: Name: \"OLD .\" names the same configuration as line 4",
                       "7: Name: \"Unit%2\" names the same configuration as line 6"}
        << QStringList{QStringLiteral("Caf\u00E9"), "unit%2"};
    QTest::newRow("a new name Windows cannot hold")
        << QByteArray("Name,ModbusTCPSlave_IP4\nCON,21\nlpt1.txt,22\nCom9 .log,23\nNUL.,24\nLine ,25\nCONSOLE,26\n"
                      "COM10,27\n")
        << QStringList{"2: Name: Windows cannot hold the name \"CON\" (a device name Windows reserves)",
                       "3: Name: Windows cannot hold the name \"lpt1.txt\" (a device name Windows reserves)",
                       "4: Name: Windows cannot hold the name \"Com9 .log\" (a device name Windows reserves)",
                       "5: Name: Windows cannot hold the name \"NUL.\" (it ends in a dot or a blank)",
                       "6: Name: Windows cannot hold the name \"Line \" (it ends in a dot or a blank)"}
        << QStringList{"CONSOLE", "COM10"};
    QTest::newRow("values that are no item or flag, every one reported")
        << QByteArray("Name,Serial_Baud,ModbusTCPSlave_En_GAT,ModbusTCPSlave_IP4\nA,9601,yes,21\n")
        << QStringList{"2: Serial_Baud: \"9601\" is none of the items: 0 (1200), 1 (2400), 2 (4800), 3 (9600), "
                       "4 (19200), 5 (38400), 6 (57600), 7 (115200)",
                       "2: ModbusTCPSlave_En_GAT: \"yes\" is not a flag: 1 or 0"}
        << QStringList{};
    QTest::newRow("a refused value leaves the address checks standing")
        << QByteArray("Name,Serial_Parity,ModbusTCPSlave_IP4\nA,mark,21\nB,,21\n")
        << QStringList{"2: Serial_Parity: \"mark\" is none of the items: 0 (NONE), 1 (ODD), 2 (EVEN)",
                       "3: warning: 192.168.0.21 is also the address of line 2"}
        << QStringList{"B"};
    QTest::newRow("the first broken rule of the resulting set")
        << QByteArray("Name;ModbusSlave_ID_Device;ModbusTCPSlave_IP1;ModbusTCPSlave_IP4\nA;0;300;21\n"
                      "B;;;22\nOld;;;\n")
        << QStringList{"2: ModbusSlave_ID_Device: Error Modbus Slave!! ID Device must be between 1 and 247"}
        << QStringList{"B", "Old"};
    QTest::newRow("both ports on RS232")
        << QByteArray("Name,Serial_Serial,ModbusSlave_Serial,ModbusTCPSlave_IP4\nA,RS232,rs232,21\n")
        << QStringList{"2: Serial_Serial: Error Serial!! Serial cannot be RS232 in both Serial and Modbus Slave"}
        << QStringList{};
    // Identical machines on networks of their own share an address: a warning, not an error.
    QTest::newRow("one address twice, numbers compared as numbers")
        << QByteArray("Name,ModbusTCPSlave_IP3,ModbusTCPSlave_IP4\nA,0,21\nB,000,$15\n")
        << QStringList{"3: warning: 192.168.0.21 is also the address of line 2"} << QStringList{"A", "B"};
    QTest::newRow("new configurations share the default address")
        << QByteArray("Name\nA\nB\n") << QStringList{"3: warning: 192.168.0.10 is also the address of line 2"}
        << QStringList{"A", "B"};
    QTest::newRow("the address of a configuration the plan leaves alone")
        << QByteArray("Name,ModbusTCPSlave_IP1,ModbusTCPSlave_IP2,ModbusTCPSlave_IP4\nA,10,0,2\nB,10,0,1\nOld,,,9\n")
        << QStringList{"2: warning: 10.0.0.2 is already the address of configuration \"Kept\""}
        << QStringList{"A", "B", "Old"};
    QTest::newRow("warnings do not stop a row")
        << QByteArray("Name,ModbusTCPSlave_IP4,ModbusTCPSlave_SM3\nA,255,\nB,22,253\n")
        << QStringList{"2: warning: the address 192.168.0.255 is the broadcast address of its subnet 192.168.0.0/24",
                       "3: warning: the subnet mask 255.255.253.0 is not a run of one-bits followed by zero-bits"}
        << QStringList{"A", "B"};
    QTest::newRow("blank rows skipped, stray cells refused")
        << QByteArray("Name,,ModbusTCPSlave_IP4\n,,\nA,,21\nB,x,22\nC,,23,x\n")
        << QStringList{"4: column 2: a value in a column without a name",
                       "5: column 4: a value in a column without a name"}
        << QStringList{"A"};
}

void TestFleet::planProblems()
{
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, problems);
    QFETCH(QStringList, rows);
    const QByteArray tag = QTest::currentDataTag();
    if (systemHasWindowsNames() && (tag.contains("Windows cannot hold") || tag.contains("trailing blanks or dots")))
        QSKIP("Windows itself refuses names that end in a dot or a blank, and device names, as not creatable");
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/A file"), "not a folder");
    PlanWorkspace workspace;
    workspace.configurations = {{"Old", withAddress("10.0.0.1", "255.255.255.0"), {}},
                                {"Kept", withAddress("10.0.0.2", "255.255.255.0"), {}}};
    const QString dirProjects = ws.state.Dir_Projects;
    workspace.refusalOfNewName = [dirProjects](const QString &name) {
        return messageIndex(newConfigurationVerdict(dirProjects, name));
    };
    CsvTable table;
    CsvError error;
    QVERIFY(readCsv(plan, &table, &error));
    const CheckedPlan checked = checkPlan(table, workspace, englishTexts());
    QCOMPARE(describe(checked.problems), problems);
    QStringList names;
    for (const PlanRow &row : checked.rows)
        names << row.name;
    QCOMPARE(names, rows);
}

void TestFleet::planRowsResultFromTheStoredValues()
{
    PlanWorkspace workspace;
    ParameterValues stored = withAddress("10.0.0.1", "255.255.255.0");
    stored[Param::Serial_Baud] = QStringLiteral("3");
    stored[Param::Serial_End_Char] = QStringLiteral("10");
    workspace.configurations = {{"Old", stored, {}}, {"Broken", defaultParameterValues(), "ParGen.xml: not XML"}};
    workspace.refusalOfNewName = [](const QString &) { return -1; };
    CsvTable table;
    CsvError error;
    // Empty cells, quoted or not, keep the value; "" (two quote marks, quoted as """""") is the
    // empty text; a leading apostrophe is dropped.
    QVERIFY(readCsv("Name,Serial_Parity,Serial_Send_Type,Serial_End_Char,Serial_TimeOut_RX,ModbusTCPSlave_IP4\n"
                    "\"Old\",\"odd\",\"\",\"\",\"\",\"\"\n"
                    "New,,1,\"\"\"\"\"\",'5,9\n"
                    "'Other,,,,'\"\",8\n",
                    &table, &error));
    const CheckedPlan checked = checkPlan(table, workspace, englishTexts());
    // The unreadable configuration is not touched, so its address is merely unknown.
    QCOMPARE(describe(checked.problems),
             QStringList{"0: warning: the address of configuration \"Broken\" is not known: ParGen.xml: not XML"});
    QCOMPARE(checked.rows.size(), 3);

    ParameterValues old = stored;
    old[Param::Serial_Parity] = QStringLiteral("1");
    QVERIFY(checked.rows.at(0).exists);
    QCOMPARE(checked.rows.at(0).values, old);

    ParameterValues created = defaultParameterValues();
    created[Param::Serial_Send_Type] = QStringLiteral("1");
    created[Param::Serial_End_Char] = QString();
    created[Param::Serial_TimeOut_RX] = QStringLiteral("5");
    created[Param::ModbusTCPSlave_IP4] = QStringLiteral("9");
    QVERIFY(!checked.rows.at(1).exists);
    QCOMPARE(checked.rows.at(1).line, 3);
    QCOMPARE(checked.rows.at(1).values, created);

    ParameterValues other = defaultParameterValues();
    other[Param::Serial_TimeOut_RX] = QStringLiteral("\"\"");
    other[Param::ModbusTCPSlave_IP4] = QStringLiteral("8");
    QCOMPARE(checked.rows.at(2).name, QStringLiteral("Other"));
    QCOMPARE(checked.rows.at(2).values, other);

    // A row that names the unreadable configuration cannot build on its values.
    QVERIFY(readCsv("Name\nBroken\n", &table, &error));
    QCOMPARE(describe(checkPlan(table, workspace, englishTexts()).problems),
             QStringList{"2: Name: ParGen.xml: not XML"});
}

QTEST_GUILESS_MAIN(TestFleet)
#include "test_fleet.moc"

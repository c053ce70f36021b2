// The tool's fleet commands through the real executable: batch, export, validate --strict, and
// what a new user ran into (job without an image, image of a broken set, list of no workspace).
#include "core/AppState.h"
#include "core/Csv.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <memory>

namespace {

// Every file under `folder` with its bytes, to show that nothing was written.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(path, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<folder>"));
    }
    return files;
}

QByteArray imageOf(const ParameterValues &values)
{
    QByteArray image;
    if (!composeImage(parameterFileBytes(values), QString(), &image, nullptr))
        qFatal("no image");
    return image;
}

ParameterValues valuesAt(const char *ip4)
{
    ParameterValues values = defaultParameterValues();
    values[Param::ModbusTCPSlave_IP1] = QStringLiteral("10");
    values[Param::ModbusTCPSlave_IP4] = QString::fromLatin1(ip4);
    return values;
}

} // namespace

class TestToolFleet : public QObject {
    Q_OBJECT

private slots:
    void batchWritesAsTheEditorAndUpdateDevice();
    void dryRunWritesNothing();
    void batchRefusesAndWritesNothing_data();
    void batchRefusesAndWritesNothing();
    void aFailedWriteSaysWhatWasWritten();
    void plansAsSpreadsheetsWriteThem_data();
    void plansAsSpreadsheetsWriteThem();
    void exportRoundTrip_data();
    void exportRoundTrip();
    void exportRefuses();
    void exportRunsNoFormula();
    void twoBatchesAtOnceLeaveWholePairs();
    void validateWarns_data();
    void validateWarns();
    void imageWarnsOfABrokenRule();
    void jobNeedsTheImageItSends_data();
    void jobNeedsTheImageItSends();
    void listNeedsAWorkspace();
    void helpExplains();
    void keysAsTheReadmeShowsThem();
};

void TestToolFleet::batchWritesAsTheEditorAndUpdateDevice()
{
    TestWorkspace ws;
    ParameterValues stored = valuesAt("1");
    stored[Param::Serial_Parity] = QStringLiteral("2");
    ws.writeFile(QStringLiteral("PROJECTS/Old/ParGen.xml"), parameterFileBytes(stored));
    // Semicolons, CRLF, a byte-order mark, a blank line, and a name the spreadsheet quoted.
    ws.writeFile(QStringLiteral("plan.csv"), "\xEF\xBB\xBF"
                                             "Name;ModbusTCPSlave_IP1;ModbusTCPSlave_IP4;Serial_Baud;ModbusSlave_ID_Device\r\n"
                                             "\"Line; 1\";10;101;9600;7\r\n"
                                             "\r\n"
                                             "Old;;102;19200;\r\n"
                                             "Line 3;10;255;4;9\r\n");
    const Run run = tool({"--workspace", ws.dir.path(), "batch", ws.path(QStringLiteral("plan.csv"))});
    QCOMPARE(run.code, 0);

    ParameterValues line1 = valuesAt("101");
    line1[Param::Serial_Baud] = QStringLiteral("3");
    line1[Param::ModbusSlave_ID_Device] = QStringLiteral("7");
    ParameterValues old = stored; // an empty cell keeps the stored value
    old[Param::ModbusTCPSlave_IP4] = QStringLiteral("102");
    old[Param::Serial_Baud] = QStringLiteral("4");
    ParameterValues line3 = valuesAt("255");
    line3[Param::Serial_Baud] = QStringLiteral("4");
    line3[Param::ModbusSlave_ID_Device] = QStringLiteral("9");
    const std::pair<const char *, ParameterValues> expected[] = {{"Line; 1", line1}, {"Old", old}, {"Line 3", line3}};
    for (const auto &[name, values] : expected) {
        const QString folder = QStringLiteral("PROJECTS/") + QString::fromUtf8(name);
        QCOMPARE(ws.readFile(folder + QStringLiteral("/ParGen.xml")), parameterFileBytes(values));
        QCOMPARE(ws.readFile(folder + QStringLiteral("/bin/bank.bin")), imageOf(values));
    }
    // A warning does not stop the plan.
    QCOMPARE(run.err, QStringLiteral("%1:5: warning: the address 10.168.0.255 is the broadcast address of its subnet "
                                     "10.168.0.0/24\n")
                          .arg(ws.path(QStringLiteral("plan.csv"))));
    const QStringList summary = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(summary.size(), 5);
    QVERIFY(summary.at(0).startsWith(QStringLiteral("Name")));
    const quint32 checksum = qFromLittleEndian<quint32>(imageOf(line1).constData() + 0x7FC);
    QCOMPARE(summary.at(1).simplified(), QStringLiteral("Line; 1 10.168.0.101 7 9600 %1").arg(checksum));
    QVERIFY(summary.at(2).simplified().startsWith(QStringLiteral("Old 10.168.0.102 1 19200 ")));
    QCOMPARE(summary.at(4), QStringLiteral("2 created, 1 updated"));
    // A second run changes nothing but counts them as updates.
    const QMap<QString, QByteArray> written = snapshot(ws.path(QStringLiteral("PROJECTS")));
    QVERIFY(tool({"batch", ws.path(QStringLiteral("plan.csv")), "--workspace", ws.dir.path()}).out.endsWith("0 created, 3 updated\n"));
    QCOMPARE(snapshot(ws.path(QStringLiteral("PROJECTS"))), written);
}

void TestToolFleet::dryRunWritesNothing()
{
    TestWorkspace ws;
    const QString workspace = ws.path(QStringLiteral("new"));
    ws.writeFile(QStringLiteral("plan.csv"), "Name,ModbusTCPSlave_IP4\nA,11\nB,12\n");
    const QMap<QString, QByteArray> before = snapshot(ws.dir.path());
    // Options may stand before the command as well as after it.
    const Run run = tool({"--dry-run", "--workspace", workspace, "batch", ws.path(QStringLiteral("plan.csv"))});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.contains("\nA "));
    QVERIFY(run.out.endsWith("dry run: 2 to create, 0 to update, nothing written\n"));
    QCOMPARE(snapshot(ws.dir.path()), before);
}

void TestToolFleet::batchRefusesAndWritesNothing_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("err"); // "plan.csv" stands for the plan's path
    QTest::newRow("every problem, line by line")
        << QByteArray("Name,Serial_Parity,ModbusTCPSlave_IP1,ModbusTCPSlave_IP4,Colour,ModbusSlave_ID_Device,"
                      "ModbusSlave_Partiy\n"
                      "A,even,10,2,,,\n"
                      "a,none,10,3,,,\n"
                      ",odd,10,4,,,\n"
                      "B,mark,10,5,,,\n"
                      "C,,10,6,,0,\n"
                      "D,,10,2,,,\n"
                      "E,,10,1,,,\n")
        << QStringList{}
        << QStringList{"plan.csv:1: warning: the column \"Colour\" is no parameter key; it is left out",
                       "plan.csv:1: ModbusSlave_Partiy: unknown column; did you mean \"ModbusSlave_Parity\"?",
                       "plan.csv:3: Name: \"a\" names the same configuration as line 2",
                       "plan.csv:4: Name: Error! Name Project is not valid",
                       "plan.csv:5: Serial_Parity: \"mark\" is none of the items: 0 (NONE), 1 (ODD), 2 (EVEN)",
                       "plan.csv:6: ModbusSlave_ID_Device: Error Modbus Slave!! ID Device must be between 1 and 247",
                       "plan.csv:7: warning: 10.168.0.2 is also the address of line 2",
                       "plan.csv:8: warning: 10.168.0.1 is already the address of configuration \"Kept\"",
                       "kv40812-tool: plan.csv: 5 errors, 3 warnings; nothing written"};
    QTest::newRow("messages in the chosen language")
        << QByteArray("Name;ModbusSlave_ID_Device\nA;0\n") << QStringList{"--language", "Test"}
        << QStringList{"plan.csv:2: ModbusSlave_ID_Device: ID fuori campo", "kv40812-tool: plan.csv: 1 error; nothing written"};
    QTest::newRow("a character XML cannot hold")
        << QByteArray("Name,Serial_TimeOut_RX\nA,5\x01\n") << QStringList{}
        << QStringList{"plan.csv:2: Serial_TimeOut_RX: the character U+0001 cannot be stored in a parameter file",
                       "kv40812-tool: plan.csv: 1 error; nothing written"};
    QTest::newRow("warnings are errors with --strict")
        << QByteArray("Name,Remarks,ModbusTCPSlave_IP1\nA,spare,127\nB,,127\n") << QStringList{"--strict"}
        << QStringList{"plan.csv:1: warning: the column \"Remarks\" is no parameter key; it is left out",
                       "plan.csv:2: warning: the address 127.168.0.10 is a loopback address (127.0.0.0/8)",
                       "plan.csv:3: warning: 127.168.0.10 is also the address of line 2",
                       "plan.csv:3: warning: the address 127.168.0.10 is a loopback address (127.0.0.0/8)",
                       "kv40812-tool: plan.csv: 0 errors, 4 warnings (errors with --strict); nothing written"};
    QTest::newRow("malformed text")
        << QByteArray("Name\n\"A\n") << QStringList{}
        << QStringList{"plan.csv:2: a quoted field does not end", "kv40812-tool: plan.csv: nothing written"};
}

void TestToolFleet::batchRefusesAndWritesNothing()
{
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, options);
    QFETCH(QStringList, err);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/Kept/ParGen.xml"), parameterFileBytes(valuesAt("1")));
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"), "STR474 = ID fuori campo\n");
    ws.writeFile(QStringLiteral("plan.csv"), plan);
    const QMap<QString, QByteArray> before = snapshot(ws.dir.path());
    const Run run = tool(QStringList{"--workspace", ws.dir.path(), "batch", ws.path(QStringLiteral("plan.csv"))} + options);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts),
             err.replaceInStrings(QStringLiteral("plan.csv"), ws.path(QStringLiteral("plan.csv"))));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(snapshot(ws.dir.path()), before);
}

void TestToolFleet::aFailedWriteSaysWhatWasWritten()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/B/ParGen.xml"), parameterFileBytes(valuesAt("2")));
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/B/bin/bank.bin")))); // the image cannot be written
    ws.writeFile(QStringLiteral("plan.csv"), "Name,ModbusTCPSlave_IP1,ModbusTCPSlave_IP4\nA,10,1\nB,,3\nC,10,4\n");
    const Run run = tool({"--workspace", ws.dir.path(), "batch", ws.path(QStringLiteral("plan.csv"))});
    QCOMPARE(run.code, 2);
    const QStringList err = run.err.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(err.size(), 3);
    QVERIFY2(err.at(0).contains(QStringLiteral("bank.bin: Is a directory")), qPrintable(err.at(0)));
    const QString plan = ws.path(QStringLiteral("plan.csv"));
    QCOMPARE(err.at(1), QStringLiteral("kv40812-tool: %1:3 (\"B\"): its ParGen.xml was written, its image was not").arg(plan));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/B/ParGen.xml")), parameterFileBytes(valuesAt("3")));

    // Rows are written side by side, so A and C may or may not have been written when B failed;
    // what the report says must be what the disk holds, and what was written is whole.
    const QStringList summary = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    qsizetype written = 0;
    for (const auto &[name, ip4] : {std::pair{"A", "1"}, std::pair{"C", "4"}}) {
        const QString folder = QStringLiteral("PROJECTS/") + QString::fromLatin1(name);
        const bool listed = std::any_of(summary.begin(), summary.end(), [&](const QString &line) {
            return line.startsWith(QString::fromLatin1(name) + u' ');
        });
        QCOMPARE(QFileInfo::exists(ws.path(folder)), listed);
        if (listed) {
            ++written;
            QCOMPARE(ws.readFile(folder + QStringLiteral("/ParGen.xml")), parameterFileBytes(valuesAt(ip4)));
            QCOMPARE(ws.readFile(folder + QStringLiteral("/bin/bank.bin")), imageOf(valuesAt(ip4)));
        }
    }
    QCOMPARE(summary.size(), written + 1);
    QCOMPARE(err.at(2), QStringLiteral("kv40812-tool: %1: writing stopped: %2 written (the summary lists them), 1 failed, "
                                       "%3 not written")
                            .arg(plan, written == 1 ? QStringLiteral("1 configuration") : QStringLiteral("%1 configurations").arg(written))
                            .arg(2 - written));
}

void TestToolFleet::plansAsSpreadsheetsWriteThem_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QStringList>("warnings"); // besides the left-out column; "plan.csv" stands for the plan's path
    QTest::newRow("UTF-8, every field quoted") << "utf-8" << QStringList{};
    QTest::newRow("Windows-1252, every field quoted")
        << "cp1252" << QStringList{"plan.csv:3: warning: this line is not UTF-8: the plan is read as Windows-1252"};
}

// A plan as a spreadsheet saves it: Python's csv module quotes every field, so an empty cell is "".
void TestToolFleet::plansAsSpreadsheetsWriteThem()
{
    QFETCH(QString, encoding);
    QFETCH(QStringList, warnings);
    TestWorkspace ws;
    ParameterValues stored = valuesAt("1");
    stored[Param::Serial_End_Char] = QStringLiteral("10");
    stored[Param::Serial_TimeOut_RX] = QStringLiteral("250");
    ws.writeFile(QStringLiteral("PROJECTS/Old/ParGen.xml"), parameterFileBytes(stored));
    const QString plan = ws.path(QStringLiteral("plan.csv"));
    const char script[] = R"(import csv, sys
rows = [["Name", "Serial_Baud", "Serial_End_Char", "Serial_TimeOut_RX", "ModbusTCPSlave_IP1", "ModbusTCPSlave_IP4",
         "Remarks"],
        ["Old", "9600", "", '""', "", "", "kept, as it was"],
        ["Zürich 2", "", "", "", "10", "2", "café, new"]]
with open(sys.argv[1], "w", newline="", encoding=sys.argv[2]) as f:
    csv.writer(f, quoting=csv.QUOTE_ALL).writerows(rows)
)";
    const int python = QProcess::execute(QStringLiteral(KV_PYTHON), {"-c", QString::fromUtf8(script), plan, encoding});
    if (python == -2)
        QSKIP("Python does not start from here (a Windows program under Wine)");
    QCOMPARE(python, 0);
    QVERIFY(ws.readFile(QStringLiteral("plan.csv")).contains("\"Old\",\"9600\",\"\",\"\"\"\"\"\",\"\",\"\","));

    const Run run = tool({"--workspace", ws.dir.path(), "batch", plan});
    QCOMPARE(run.code, 0);
    QStringList expected{"plan.csv:1: warning: the column \"Remarks\" is no parameter key; it is left out"};
    expected += warnings;
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts), expected.replaceInStrings(QStringLiteral("plan.csv"), plan));

    ParameterValues old = stored; // "" keeps a value, """""" (the text "") empties it
    old[Param::Serial_Baud] = QStringLiteral("3");
    old[Param::Serial_TimeOut_RX] = QString();
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Old/ParGen.xml")), parameterFileBytes(old));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Z\u00FCrich 2/ParGen.xml")), parameterFileBytes(valuesAt("2")));
}

void TestToolFleet::exportRoundTrip_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::newRow("commas") << ",";
    QTest::newRow("semicolons") << ";";
}

void TestToolFleet::exportRoundTrip()
{
    QFETCH(QString, delimiter);
    TestWorkspace source;
    const QString from = source.dir.path();
    // Values only a careful plan keeps: an empty number, a blank before a number, texts that
    // look like the plan's own marks, a list with no item selected, names that need quoting and
    // UTF-8, and two configurations as new made them, at the same address.
    // Windows takes no quotation mark in a folder name; the comma still needs quoting there.
    const QString hall = systemHasWindowsNames() ? QStringLiteral("Hall 'A', Z\u00FCrich")
                                                 : QStringLiteral("Hall \"A\", Z\u00FCrich");
    QCOMPARE(tool({"--workspace", from, "new", hall}).code, 0);
    QCOMPARE(tool({"--workspace", from, "set", hall, "Serial_Send_Type=1", "Serial_End_Char=",
                   "Serial_TimeOut_RX= 7", "ModbusSlave_Enable_NumByteRX=0", "ModbusSlave_NumByteRX=\"\"",
                   "ModbusTCPSlave_En_GAT=0", "ModbusTCPSlave_GAT1='x", "ModbusTCPSlave_IP4=21"})
                 .code,
             0);
    source.writeFile(QStringLiteral("PROJECTS/plant 2/ParGen.xml"), "<Par_Gen><Serial_Baud>9</Serial_Baud></Par_Gen>");
    QCOMPARE(tool({"--workspace", from, "set", "plant 2", "Serial_DataBits=7"}).code, 0); // saves Serial_Baud -1
    source.writeFile(QStringLiteral("plan.csv"), "Name\nPlant 10\n");
    QCOMPARE(tool({"--workspace", from, "batch", source.path(QStringLiteral("plan.csv"))}).code, 0);

    const Run exported = tool({"--workspace", from, "export", "--delimiter", delimiter});
    QCOMPARE(exported.code, 0);
    const auto line = [&](QStringList cells) { return cells.join(delimiter).toUtf8(); };
    QVERIFY2(exported.out.startsWith("\xEF\xBB\xBF" + line({"Name", "Serial_Serial", "Serial_Baud", ""})), exported.out.constData());
    QCOMPARE(exported.out.count("\r\n"), 4);
    // Items as show prints them; a value that is no item's index as stored, and with an
    // apostrophe before it where a spreadsheet would read it as a formula.
    QVERIFY(exported.out.contains("\r\n" + line({"plant 2", "RS485/RS422", "'-1", "NONE", "End Character", "13", "1024",
                                                 "0", "7", ""})));
    QVERIFY(exported.out.contains(
        "\r\n" + line({u'"' + QString(hall).replace(u'"', QStringLiteral("\"\"")) + u'"', "RS485/RS422", "115200", "NONE", "Num Bytes on Control Word",
                       "\"\"\"\"\"\"", "1024", "\" 7\"", ""})));
    QVERIFY(exported.out.contains(line({"0", "\"'\"\"\"\"\"", ""}) + line({"192", "168", "0", "21", "255"})));
    QVERIFY(exported.out.contains(line({"", "''x", "168"})));

    TestWorkspace target;
    target.writeFile(QStringLiteral("plan.csv"), exported.out);
    const Run batch = tool({"--workspace", target.dir.path(), "batch", target.path(QStringLiteral("plan.csv"))});
    QCOMPARE(batch.code, 0);
    QVERIFY2(batch.err.contains(QStringLiteral("warning: 192.168.0.10 is also the address of line")), qPrintable(batch.err));
    const QStringList names = QDir(source.path(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(QDir(target.path(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot), names);
    for (const QString &name : names) {
        const QString parGen = QStringLiteral("PROJECTS/%1/ParGen.xml").arg(name);
        QCOMPARE(target.readFile(parGen), source.readFile(parGen));
    }

    // The configurations named, into a file: the same bytes as their lines of the whole export.
    const Run some = tool({"export", "plant 2", "--output", source.path(QStringLiteral("some.csv")), "--workspace", from,
                           "--delimiter", delimiter});
    QCOMPARE(some.code, 0);
    const QList<QByteArray> lines = exported.out.split('\n');
    QCOMPARE(source.readFile(QStringLiteral("some.csv")), lines.at(0) + '\n' + lines.at(2) + '\n');
}

void TestToolFleet::exportRefuses()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/Broken/ParGen.xml"), "<Par_Gen>");
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Fine"))));
    const Run broken = tool({"--workspace", ws.dir.path(), "export", "--output", ws.path(QStringLiteral("out.csv"))});
    QCOMPARE(broken.code, 2);
    QVERIFY(broken.err.contains(QStringLiteral("ParGen.xml")));
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("out.csv"))));
    QCOMPARE(tool({"--workspace", ws.dir.path(), "export", "Nowhere"}).code, 2);
    QCOMPARE(tool({"--workspace", ws.path(QStringLiteral("none")), "export"}).code, 2);
    const Run tab = tool({"--workspace", ws.dir.path(), "export", "Fine", "--delimiter", "\t"});
    QCOMPARE(tab.code, 2);
    QVERIFY(tab.err.contains(QStringLiteral("--delimiter is , or ;")));
}

void TestToolFleet::exportRunsNoFormula()
{
    TestWorkspace source;
    // Texts that no rule checks: a name, the time-out, the numbers of a gateway that is off.
    ParameterValues values = defaultParameterValues();
    values[Param::Serial_TimeOut_RX] = QStringLiteral("=HYPERLINK(\"http://127.0.0.1/\",\"x\")");
    values[Param::ModbusTCPSlave_GAT1] = QStringLiteral("@SUM(A1)");
    values[Param::ModbusTCPSlave_GAT2] = QStringLiteral("+1");
    values[Param::ModbusTCPSlave_GAT3] = QStringLiteral("\t=1");
    values[Param::ModbusTCPSlave_GAT4] = QStringLiteral("\r=2");
    values[Param::Serial_Num_Byte] = QStringLiteral("'-3");
    source.writeFile(QStringLiteral("PROJECTS/=1+2/ParGen.xml"), parameterFileBytes(values));
    source.writeFile(QStringLiteral("PROJECTS/-Line/ParGen.xml"), parameterFileBytes(valuesAt("2")));

    const Run exported = tool({"--workspace", source.dir.path(), "export"});
    QCOMPARE(exported.code, 0);
    QVERIFY(exported.out.contains("\r\n'=1+2,"));
    // Cells as a spreadsheet reads them: none begins with what starts a formula.
    CsvTable table;
    CsvError error;
    QVERIFY(readCsv(exported.out, &table, &error));
    QCOMPARE(table.records.size(), 3);
    for (const CsvRecord &record : table.records) {
        for (const QString &cell : record.fields)
            QVERIFY2(cell.isEmpty() || !QStringLiteral("=+-@\t\r").contains(cell.front()), qPrintable(cell));
    }

    TestWorkspace target;
    target.writeFile(QStringLiteral("plan.csv"), exported.out);
    QCOMPARE(tool({"--workspace", target.dir.path(), "batch", target.path(QStringLiteral("plan.csv"))}).code, 0);
    for (const QString &name : {QStringLiteral("=1+2"), QStringLiteral("-Line")}) {
        const QString parGen = QStringLiteral("PROJECTS/%1/ParGen.xml").arg(name);
        QCOMPARE(target.readFile(parGen), source.readFile(parGen));
    }
}

void TestToolFleet::twoBatchesAtOnceLeaveWholePairs()
{
    TestWorkspace ws;
    QByteArray first = "Name,ModbusTCPSlave_IP1,ModbusTCPSlave_IP4,ModbusSlave_ID_Device\n";
    QByteArray second = first;
    for (int unit = 1; unit <= 6; ++unit) {
        first += "Unit " + QByteArray::number(unit) + ",10," + QByteArray::number(unit) + ",1\n";
        second += "Unit " + QByteArray::number(unit) + ",10," + QByteArray::number(unit + 10) + ",2\n";
    }
    ws.writeFile(QStringLiteral("first.csv"), first);
    ws.writeFile(QStringLiteral("second.csv"), second);
    const QStringList batch{"--workspace", ws.dir.path(), "batch"};
    QCOMPARE(tool(batch + QStringList{ws.path(QStringLiteral("first.csv"))}).code, 0);
    for (int round = 0; round < 3; ++round) {
        const std::unique_ptr<QProcess> runs[] = {startTool(batch + QStringList{ws.path(QStringLiteral("second.csv"))}),
                                                  startTool(batch + QStringList{ws.path(QStringLiteral("first.csv"))})};
        for (const std::unique_ptr<QProcess> &process : runs) {
            // A run meets the other's change, or its lock, and stops: it never writes over it.
            const Run run = finish(*process);
            QVERIFY2(run.code == 0 || (run.code == 1 && run.err.contains(QStringLiteral("another run"))),
                     qPrintable(run.err));
        }
        // Whatever each run wrote, every image is the one its parameter file composes.
        for (int unit = 1; unit <= 6; ++unit) {
            const QString folder = QStringLiteral("PROJECTS/Unit %1/").arg(unit);
            QCOMPARE(ws.readFile(folder + QStringLiteral("bin/bank.bin")),
                     composedImage(ws.readFile(folder + QStringLiteral("ParGen.xml"))));
        }
    }
}

void TestToolFleet::validateWarns_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("strictCode");
    QTest::addColumn<QByteArray>("strictOut"); // the verdict says what the exit code says
    QTest::newRow("clean") << QByteArray() << QByteArray("OK\n") << QStringList{} << 0 << 0 << QByteArray("OK\n");
    QTest::newRow("a warning")
        << QByteArray("<Par_Gen><ModbusTCPSlave_SM2>0</ModbusTCPSlave_SM2></Par_Gen>") << QByteArray("OK\n")
        << QStringList{"kv40812-tool: warning: the subnet mask 255.0.255.0 is not a run of one-bits followed by zero-bits"}
        << 0 << 1 << QByteArray("Not OK: 1 warning (an error with --strict)\n");
    QTest::newRow("a broken rule, then the warnings")
        << QByteArray("<Par_Gen><ModbusSlave_ID_Device>0</ModbusSlave_ID_Device><ModbusTCPSlave_IP4>0</ModbusTCPSlave_IP4>"
                      "<ModbusTCPSlave_En_GAT>1</ModbusTCPSlave_En_GAT><ModbusTCPSlave_GAT3>9</ModbusTCPSlave_GAT3></Par_Gen>")
        << QByteArray("Error Modbus Slave!! ID Device must be between 1 and 247\n")
        << QStringList{"kv40812-tool: warning: the address 192.168.0.0 is the network address of its subnet 192.168.0.0/24",
                       "kv40812-tool: warning: the gateway 192.168.9.1 lies outside the device's subnet 192.168.0.0 with "
                       "mask 255.255.255.0"}
        << 1 << 1 << QByteArray("Error Modbus Slave!! ID Device must be between 1 and 247\n");
}

void TestToolFleet::validateWarns()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, out);
    QFETCH(QStringList, warnings);
    QFETCH(int, code);
    QFETCH(int, strictCode);
    QFETCH(QByteArray, strictOut);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P"))));
    if (!file.isEmpty())
        ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), file);
    const Run run = tool({"--workspace", ws.dir.path(), "validate", "P"});
    QCOMPARE(run.code, code);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts), warnings);
    const Run strict = tool({"--workspace", ws.dir.path(), "validate", "--strict", "P"});
    QCOMPARE(strict.code, strictCode);
    QCOMPARE(strict.out, strictOut);
    QCOMPARE(strict.err.split(u'\n', Qt::SkipEmptyParts), warnings);
}

void TestToolFleet::imageWarnsOfABrokenRule()
{
    TestWorkspace ws;
    const QByteArray parGen = "<Par_Gen><ModbusSlave_ID_Device>0</ModbusSlave_ID_Device></Par_Gen>";
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parGen);
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P/bin"))));
    QByteArray expected;
    QVERIFY(composeImage(parGen, QString(), &expected, nullptr));
    for (const QStringList &arguments :
         {QStringList{"image", "P"}, QStringList{"image", "--input", ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")),
                                                 "--output", ws.path(QStringLiteral("PROJECTS/P/bin/bank.bin"))}}) {
        QFile::remove(ws.path(QStringLiteral("PROJECTS/P/bin/bank.bin")));
        const Run run = tool(QStringList{"--workspace", ws.dir.path()} + arguments);
        QCOMPARE(run.code, 0); // composed all the same, as Update Device does
        QCOMPARE(run.err, QStringLiteral("kv40812-tool: warning: Error Modbus Slave!! ID Device must be between 1 and 247\n"));
        QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/bin/bank.bin")), expected);
    }
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parameterFileBytes(defaultParameterValues()));
    QCOMPARE(tool({"--workspace", ws.dir.path(), "image", "P"}).err, QString());
}

void TestToolFleet::jobNeedsTheImageItSends_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("code");
    QTest::newRow("firmware and configuration") << "0" << 1;
    QTest::newRow("firmware alone needs no image") << "1" << 0;
    QTest::newRow("configuration") << "2" << 1;
}

void TestToolFleet::jobNeedsTheImageItSends()
{
    QFETCH(QString, option);
    QFETCH(int, code);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P/bin"))));
    const Run run = tool({"--workspace", ws.dir.path(), "job", "P", "--ip", "127.0.0.1", "--option", option});
    QCOMPARE(run.code, code);
    QCOMPARE(QFileInfo::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))), code == 0);
    if (code != 0)
        QVERIFY2(run.err.contains(QStringLiteral("no configuration image to send (run: kv40812-tool image \"P\")")),
                 qPrintable(run.err));
}

void TestToolFleet::listNeedsAWorkspace()
{
    TestWorkspace ws;
    const Run run = tool({"list", "--workspace", ws.path(QStringLiteral("typo"))});
    QCOMPARE(run.code, 2);
    QCOMPARE(run.err, QStringLiteral("kv40812-tool: no workspace at %1: it has no PROJECTS folder\n")
                          .arg(ws.path(QStringLiteral("typo"))));
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("typo"))));
}

void TestToolFleet::helpExplains()
{
    TestWorkspace ws;
    const QString help = QString::fromUtf8(tool({"--help"}, {{"KV40812_WORKSPACE", ws.dir.path()}}).out);
    QVERIFY(help.contains(QStringLiteral("The default workspace here: %1\n").arg(QDir::toNativeSeparators(ws.dir.path()))));
    // Every command the usage lists has its own help: synopsis, options, an example.
    const QStringList commands = help.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0).split(u'\n');
    QStringList names;
    for (const QString &line : commands) {
        if (line.startsWith(QStringLiteral("  ")) && line.at(2) != u' ')
            names << line.mid(2).section(u' ', 0, 0);
    }
    names.removeDuplicates();
    QVERIFY2(names.contains(QStringLiteral("new")) && names.contains(QStringLiteral("report")), qPrintable(names.join(u' ')));
    for (const QString &name : names) {
        const Run run = tool({name, "--help"});
        QCOMPARE(run.code, 0);
        const QString text = QString::fromUtf8(run.out);
        QVERIFY2(text.startsWith(QStringLiteral("Usage: kv40812-tool ") + name), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nOptions:\n")) && text.contains(QStringLiteral("\nExample:\n  kv40812-tool ")),
                 qPrintable(text));
    }
    const QString job = QString::fromUtf8(tool({"job", "--help"}).out);
    QVERIFY(job.contains(QStringLiteral("0 firmware and configuration, 1 firmware, 2 configuration")));
    const QString batch = QString::fromUtf8(tool({"batch", "--help"}).out);
    QVERIFY(batch.contains(QStringLiteral("--strict makes them errors")));
    QVERIFY(batch.contains(QStringLiteral("  --dry-run ")));
}

// The README's table of the parameters is what keys prints.
void TestToolFleet::keysAsTheReadmeShowsThem()
{
    const Run run = tool({"keys"});
    QCOMPARE(run.code, 0);
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 34);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("Key ")));
    for (const ParameterDef &def : parameterSet())
        QVERIFY2(lines.at(def.id + 1).startsWith(def.key + u' '), qPrintable(lines.at(def.id + 1)));
    QVERIFY(lines.at(Param::Serial_Baud + 1).simplified().startsWith(
        QStringLiteral("Serial_Baud choice 0=1200, 1=2400, 2=4800, 3=9600, 4=19200, 5=38400, 6=57600, 7=115200 bit/s 115200 ")));
    QVERIFY(lines.at(Param::Serial_End_Char + 1).simplified().startsWith(
        QStringLiteral("Serial_End_Char number 0..255 if Serial_Send_Type=End Character - 13 ")));

    QFile readme(QStringLiteral(KV_LANGUAGES "/../README.md"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QByteArray text = readme.readAll();
    const QByteArray start = "$ kv40812-tool keys\n";
    QVERIFY2(text.contains(start + run.out + "```"), "the README's table differs from what keys prints");
}

QTEST_GUILESS_MAIN(TestToolFleet)
#include "test_tool_fleet.moc"

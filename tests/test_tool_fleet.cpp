// The tool's fleet commands through the real executable: batch, export, validate --strict, and
// what a new user ran into (job without an image, image of a broken set, list of no workspace).
#include "core/AppState.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>

#include <algorithm>

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
    void exportRoundTrip();
    void exportRefuses();
    void validateWarns_data();
    void validateWarns();
    void imageWarnsOfABrokenRule();
    void jobNeedsTheImageItSends_data();
    void jobNeedsTheImageItSends();
    void listNeedsAWorkspace();
    void helpExplains();
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
        << QByteArray("Name,Serial_Parity,ModbusTCPSlave_IP1,ModbusTCPSlave_IP4,Colour,ModbusSlave_ID_Device\n"
                      "A,even,10,2,,\n"
                      "a,none,10,3,,\n"
                      ",odd,10,4,,\n"
                      "B,mark,10,5,,\n"
                      "C,,10,6,,0\n"
                      "D,,10,2,,\n"
                      "E,,10,1,,\n")
        << QStringList{}
        << QStringList{"plan.csv:1: Colour: unknown column (the columns are Name and the keys of ParGen.xml)",
                       "plan.csv:3: Name: \"a\" names the same configuration as line 2",
                       "plan.csv:4: Name: Error! Name Project is not valid",
                       "plan.csv:5: Serial_Parity: \"mark\" is none of the items: 0 (NONE), 1 (ODD), 2 (EVEN)",
                       "plan.csv:6: ModbusSlave_ID_Device: Error Modbus Slave!! ID Device must be between 1 and 247",
                       "plan.csv:7: ModbusTCPSlave_IP1: 10.168.0.2 is also the address of line 2",
                       "plan.csv:8: ModbusTCPSlave_IP1: 10.168.0.1 is already the address of configuration \"Kept\"",
                       "kv40812-tool: plan.csv: 7 errors; nothing written"};
    QTest::newRow("messages in the chosen language")
        << QByteArray("Name;ModbusSlave_ID_Device\nA;0\n") << QStringList{"--language", "Test"}
        << QStringList{"plan.csv:2: ModbusSlave_ID_Device: ID fuori campo", "kv40812-tool: plan.csv: 1 error; nothing written"};
    QTest::newRow("a character XML cannot hold")
        << QByteArray("Name,Serial_TimeOut_RX\nA,5\x01\n") << QStringList{}
        << QStringList{"plan.csv:2: Serial_TimeOut_RX: the character U+0001 cannot be stored in a parameter file",
                       "kv40812-tool: plan.csv: 1 error; nothing written"};
    QTest::newRow("warnings are errors with --strict")
        << QByteArray("Name,ModbusTCPSlave_IP1\nA,127\n") << QStringList{"--strict"}
        << QStringList{"plan.csv:2: warning: the address 127.168.0.10 is a loopback address (127.0.0.0/8)",
                       "kv40812-tool: plan.csv: 0 errors, 1 warning (errors with --strict); nothing written"};
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

void TestToolFleet::exportRoundTrip()
{
    TestWorkspace source;
    const QString from = source.dir.path();
    // Values only a careful plan keeps: an empty number, a blank before a number, a list with
    // no item selected, and names that need quoting and UTF-8.
    // Windows takes no quotation mark in a folder name; the comma still needs quoting there.
    const QString hall = systemHasWindowsNames() ? QStringLiteral("Hall 'A', Z\u00FCrich")
                                                 : QStringLiteral("Hall \"A\", Z\u00FCrich");
    QCOMPARE(tool({"--workspace", from, "new", hall}).code, 0);
    QCOMPARE(tool({"--workspace", from, "set", hall, "Serial_Send_Type=1", "Serial_End_Char=",
                   "Serial_TimeOut_RX= 7", "ModbusTCPSlave_IP4=21"})
                 .code,
             0);
    source.writeFile(QStringLiteral("PROJECTS/plant 2/ParGen.xml"), "<Par_Gen><Serial_Baud>9</Serial_Baud></Par_Gen>");
    QCOMPARE(tool({"--workspace", from, "set", "plant 2", "ModbusTCPSlave_IP4=22"}).code, 0); // saves Serial_Baud -1
    source.writeFile(QStringLiteral("plan.csv"), "Name,ModbusTCPSlave_IP4\nPlant 10,23\n");
    QCOMPARE(tool({"--workspace", from, "batch", source.path(QStringLiteral("plan.csv"))}).code, 0);

    const Run exported = tool({"--workspace", from, "export"});
    QCOMPARE(exported.code, 0);
    QVERIFY(exported.out.startsWith("\xEF\xBB\xBFName,Serial_Serial,Serial_Baud,"));
    QCOMPARE(exported.out.count("\r\n"), 4);
    QVERIFY(exported.out.contains("\r\nplant 2,1,-1,"));
    const QString quoted = u'"' + QString(hall).replace(u'"', QStringLiteral("\"\"")) + u'"';
    QVERIFY(exported.out.contains((QStringLiteral("\r\n") + quoted + QStringLiteral(",1,7,0,1,\"\",1024,\" 7\",")).toUtf8()));

    TestWorkspace target;
    target.writeFile(QStringLiteral("plan.csv"), exported.out);
    const Run batch = tool({"--workspace", target.dir.path(), "batch", target.path(QStringLiteral("plan.csv"))});
    QCOMPARE(batch.code, 0);
    const QStringList names = QDir(source.path(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(QDir(target.path(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot), names);
    for (const QString &name : names) {
        const QString parGen = QStringLiteral("PROJECTS/%1/ParGen.xml").arg(name);
        QCOMPARE(target.readFile(parGen), source.readFile(parGen));
    }

    // The configurations named, into a file: the same bytes as their lines of the whole export.
    const Run some = tool({"export", "plant 2", "--output", source.path(QStringLiteral("some.csv")), "--workspace", from});
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
}

void TestToolFleet::validateWarns_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("strictCode");
    QTest::newRow("clean") << QByteArray() << QByteArray("OK\n") << QStringList{} << 0 << 0;
    QTest::newRow("a warning")
        << QByteArray("<Par_Gen><ModbusTCPSlave_SM2>0</ModbusTCPSlave_SM2></Par_Gen>") << QByteArray("OK\n")
        << QStringList{"kv40812-tool: warning: the subnet mask 255.0.255.0 is not a run of one-bits followed by zero-bits"}
        << 0 << 1;
    QTest::newRow("a broken rule, then the warnings")
        << QByteArray("<Par_Gen><ModbusSlave_ID_Device>0</ModbusSlave_ID_Device><ModbusTCPSlave_IP4>0</ModbusTCPSlave_IP4>"
                      "<ModbusTCPSlave_En_GAT>1</ModbusTCPSlave_En_GAT><ModbusTCPSlave_GAT3>9</ModbusTCPSlave_GAT3></Par_Gen>")
        << QByteArray("Error Modbus Slave!! ID Device must be between 1 and 247\n")
        << QStringList{"kv40812-tool: warning: the address 192.168.0.0 is the network address of its subnet 192.168.0.0/24",
                       "kv40812-tool: warning: the gateway 192.168.9.1 lies outside the device's subnet 192.168.0.0 with "
                       "mask 255.255.255.0"}
        << 1 << 1;
}

void TestToolFleet::validateWarns()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, out);
    QFETCH(QStringList, warnings);
    QFETCH(int, code);
    QFETCH(int, strictCode);
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
    QCOMPARE(strict.out, out);
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
    QVERIFY(help.contains(QStringLiteral("0 firmware and configuration, 1 firmware, 2 configuration")));
    QVERIFY(help.contains(QStringLiteral("The default workspace here: %1\n").arg(QDir::toNativeSeparators(ws.dir.path()))));
    QVERIFY(help.contains(QStringLiteral("Name, and any of the 33 parameter keys")));
    QVERIFY(help.contains(QStringLiteral("--strict makes them errors")));
}

QTEST_GUILESS_MAIN(TestToolFleet)
#include "test_tool_fleet.moc"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "i18n/Language.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"
#include "update/UpdateJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLockFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTest>

#include <memory>
#include <vector>

class TestTool : public QObject {
    Q_OBJECT

private slots:
    void usage_data();
    void usage();
    void newAndList();
    void newRefusesWithTheDialogsMessages_data();
    void newRefusesWithTheDialogsMessages();
    void jobAsTheUpdateWindowWritesIt_data();
    void jobAsTheUpdateWindowWritesIt();
    void textsReadBackToTheSameTable();
    void languageByName_data();
    void languageByName();
    void checkVersionAsksTheWebBase();
    void showPrintsWhatTheEditorLoads();
    void setSavesAsTheEditorDoes();
    void setRefusesAndChangesNothing_data();
    void setRefusesAndChangesNothing();
    void validate_data();
    void validate();
    void imageAsUpdateDeviceComposesIt();
    void imageOfAnUnparsableFileWritesNothing();
    void inspectDecodesAndChecks();
    void aNameIsAConfigurationInTheWorkspace_data();
    void aNameIsAConfigurationInTheWorkspace();
    void newWarnsOfNamesThatDoNotTravel_data();
    void newWarnsOfNamesThatDoNotTravel();
    void aRunHoldingTheLockIsNamedAndNothingWritten();
    void aLockOfARunThatEndedIsTakenOver();
    void twoSetsAtOnceLoseNothing();
};

void TestTool::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says"); // on stdout for exit 0, else on stderr
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: kv40812-tool";
    QTest::newRow("help of a command") << QStringList{"export", "--help"} << 0
                                       << "Usage: kv40812-tool export [PROJECT...] [--output FILE] [--delimiter ,|;]\n";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "1.200\n";
    QTest::newRow("nothing") << QStringList{} << 2 << "no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command \"frobnicate\"; try --help";
    QTest::newRow("mistyped command") << QStringList{"sett"} << 2 << "unknown command \"sett\"; did you mean \"set\"?";
    QTest::newRow("unknown option") << QStringList{"list", "--colour"} << 2 << "unknown option \"--colour\"; try --help";
    QTest::newRow("mistyped option") << QStringList{"inspect", "x.bin", "--jsno"} << 2
                                     << "unknown option \"--jsno\"; did you mean \"--json\"?";
    // Options a command does not take are refused before it runs: set --dry-run used to save.
    QTest::newRow("set --dry-run") << QStringList{"set", "P", "Serial_Baud=3", "--dry-run"} << 2
                                   << "set does not take --dry-run";
    QTest::newRow("list --force") << QStringList{"list", "--force"} << 2 << "list does not take --force";
    QTest::newRow("show --ip") << QStringList{"show", "P", "--ip", "127.0.0.1"} << 2 << "show does not take --ip";
    QTest::newRow("a flag with a value") << QStringList{"show", "P", "--raw=1"} << 2 << "--raw takes no value";
    QTest::newRow("missing name") << QStringList{"new"} << 2 << "new takes one configuration name";
    QTest::newRow("option without value") << QStringList{"list", "--workspace"} << 2 << "--workspace needs a value";
    QTest::newRow("job without options") << QStringList{"job", "P"} << 2 << "job needs --ip";
}

void TestTool::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, says);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P"))));
    const Run run = tool(QStringList{"--workspace", ws.dir.path()} + arguments);
    QCOMPARE(run.code, code);
    if (code == 0) {
        QVERIFY2(QString::fromUtf8(run.out).contains(says), run.out.constData());
    } else {
        QVERIFY2(run.err.startsWith(QStringLiteral("kv40812-tool: ")) && run.err.count(u'\n') == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
    }
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/P/ParGen.xml"))));
}

void TestTool::newAndList()
{
    TestWorkspace ws;
    const QString workspace = ws.path(QStringLiteral("new-workspace"));
    for (const char *name : {"Plant 10", "plant 2", "Alpha"})
        QCOMPARE(tool({"new", QString::fromLatin1(name), "--workspace", workspace}).code, 0);
    QVERIFY(QFileInfo(workspace + QStringLiteral("/PROJECTS/Plant 10/bin")).isDir());
    // A new workspace gets the shipped languages, as the configurator's does.
    QVERIFY(QFileInfo(workspace + QStringLiteral("/LANGUAGE/Deutsch.lng")).isFile());
    // --workspace before the command works the same; the order is the open dialog's.
    const Run list = tool({"--workspace", workspace, "list"});
    QCOMPARE(list.code, 0);
    QCOMPARE(list.out, QByteArray("Alpha\nplant 2\nPlant 10\n"));
    // The workspace from the environment, as the configurator takes it.
    QCOMPARE(tool({"list"}, {{"KV40812_WORKSPACE", workspace}}).out, list.out);
}

void TestTool::newRefusesWithTheDialogsMessages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << "Error! Name Project is not valid";
    QTest::newRow("existing") << "Plant" << "Error! Name project is not valid because directory already exists";
    QTest::newRow("separator") << "Plant/Sub" << "Error! Name project is not valid";
    QTest::newRow("dot dot") << ".." << "Error! Name project is not valid";
    QTest::newRow("control character") << "a\tb" << "Error! Name project is not valid";
    QTest::newRow("U+FFFE") << QStringLiteral("Plant\uFFFE") << "Error! Name project is not valid";
    QTest::newRow("U+FFFF") << QStringLiteral("Plant\uFFFF") << "Error! Name project is not valid";
}

void TestTool::newRefusesWithTheDialogsMessages()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant"))));
    const Run run = tool({"--workspace", ws.dir.path(), "new", name});
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err, QStringLiteral("kv40812-tool: ") + message + u'\n');
    QCOMPARE(QDir(ws.path(QStringLiteral("PROJECTS"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Plant")});
    // A name refused in a workspace that is not there yet does not make the workspace either.
    const QString fresh = ws.path(QStringLiteral("fresh"));
    QCOMPARE(tool({"--workspace", fresh, "new", name}).code, name == u"Plant" ? 0 : 1);
    QCOMPARE(QFileInfo::exists(fresh), name == u"Plant");

    // The messages follow the chosen language.
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"), "STR105 = Nome non valido\nSTR106 = Esiste\nSTR107 = Vuoto\n");
    const Run translated = tool({"--workspace", ws.dir.path(), "--language", "Test", "new", name});
    QCOMPARE(translated.code, 1);
    QVERIFY(!translated.err.contains(QStringLiteral("Error!")));
}

void TestTool::jobAsTheUpdateWindowWritesIt_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    QTest::newRow("firmware and configuration, read back") << "127.0.0.1" << 0 << true;
    QTest::newRow("firmware") << "127.000.0.01" << 1 << false;
    QTest::newRow("configuration") << "127.0.0.2" << 2 << false;
}

void TestTool::jobAsTheUpdateWindowWritesIt()
{
    QFETCH(QString, ip);
    QFETCH(int, option);
    QFETCH(bool, readBack);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/Line 1/bin/bank.bin"), "image");
    QStringList arguments{"--workspace", ws.dir.path(), "job", "Line 1", "--ip", ip, "--option", QString::number(option)};
    if (readBack)
        arguments << QStringLiteral("--read-back");
    const Run run = tool(arguments);
    QCOMPARE(run.code, 0);

    UpdateJob job;
    job.addressParts = ip.split(u'.');
    job.option = option;
    job.readBack = readBack;
    job.dirMaster = ws.state.Dir_Master;
    job.projectDir = ws.path(QStringLiteral("PROJECTS/Line 1"));
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")), composeUpdateJob(job));

    // A path to the folder names the same configuration.
    QCOMPARE(tool(QStringList(arguments).replaceInStrings(QStringLiteral("Line 1"), job.projectDir)).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")), composeUpdateJob(job));

    QCOMPARE(tool({"--workspace", ws.dir.path(), "job", "Line 1", "--ip", "127.0.1", "--option", "0"}).code, 1);
    QCOMPARE(tool({"--workspace", ws.dir.path(), "job", "Line 1", "--ip", "127.0.0.1", "--option", "3"}).code, 2);
    QCOMPARE(tool({"--workspace", ws.dir.path(), "job", "Nowhere", "--ip", "127.0.0.1", "--option", "0"}).code, 2);
}

void TestTool::textsReadBackToTheSameTable()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"),
                 "STR12 = Informazioni\nSTR13 = \xB6 Opzioni\xB6\nSTR14 = \xB6\xB6\nSTR15 = \xB6\tTab\xB6\n");
    for (const bool withLanguage : {false, true}) {
        QStringList arguments{"--workspace", ws.dir.path(), "texts"};
        if (withLanguage)
            arguments << QStringLiteral("--language") << QStringLiteral("Test");
        const Run run = tool(arguments);
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.startsWith("\xEF\xBB\xBFSTR0 = Begin\n"));

        TextTable expected;
        Set_Default_Lang(expected);
        if (withLanguage)
            QVERIFY(Read_Lang_File(expected, ws.path(QStringLiteral("LANGUAGE/Test.lng")), nullptr));
        TextTable back;
        back.entries = QStringList(kTextCount, QStringLiteral("?"));
        back.Text_Count = kTextCount;
        applyLanguageText(back, decodeLanguageFile(run.out));
        QCOMPARE(back.entries, expected.entries);
    }
}

void TestTool::languageByName_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("file"); // empty: refused
    QTest::newRow("its own name") << "Deutsch" << "Deutsch.lng";
    QTest::newRow("any letter case") << "iTALIANO" << "Italiano.lng";
    QTest::newRow("accented capitals") << "FRANÇAIS" << "Français.lng";
    QTest::newRow("the exact name before another case") << "deutsch" << "deutsch.lng";
    QTest::newRow("two in other cases") << "DEUTSCH" << "";
    QTest::newRow("no such language") << "Klingon" << "";
    QTest::newRow("a file name is no language name") << "Italiano.lng" << "";
    QTest::newRow("nor is a path") << "../LANGUAGE/Italiano" << "";
}

void TestTool::languageByName()
{
    QFETCH(QString, language);
    QFETCH(QString, file);
    TestWorkspace ws;
    for (const char *name : {"Deutsch", "Français", "Italiano"})
        ws.writeFile(QStringLiteral("LANGUAGE/%1.lng").arg(QString::fromUtf8(name)), "\xEF\xBB\xBFSTR0 = " + QByteArray(name));
    ws.writeFile(QStringLiteral("LANGUAGE/deutsch.lng"), "STR0 = deutsch");
    if (QDir(ws.path(QStringLiteral("LANGUAGE"))).entryList(QDir::Files).size() < 4)
        QSKIP("Deutsch.lng and deutsch.lng are one file here, as on Windows");
    const Run run = tool({"--workspace", ws.dir.path(), "--language", language, "texts"});
    if (file.isEmpty()) {
        QCOMPARE(run.code, 2);
        QCOMPARE(run.err, QStringLiteral("kv40812-tool: no language \"%1\" in %2; it holds: Deutsch, deutsch, "
                                         "Français, Italiano\n")
                              .arg(language, QDir::toNativeSeparators(ws.path(QStringLiteral("LANGUAGE")))));
        QVERIFY(run.out.isEmpty());
    } else {
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(run.out.startsWith("\xEF\xBB\xBFSTR0 = " + file.chopped(4).toUtf8() + '\n'));
    }
}

void TestTool::checkVersionAsksTheWebBase()
{
    LocalHttpServer server;
    const auto answer = [&server](const QByteArray &status, const QByteArray &body) {
        LocalHttpServer::Reply reply;
        reply.status = status;
        reply.body = body;
        server.setReply(reply);
    };
    answer("200 OK", "VER. 1.300\r\n");
    Run run = tool({"check-version"}, {{"KV40812_WEB_BASE", server.base()}});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("newer: 1.300\n"));
    QCOMPARE(server.requests().size(), 1);
    answer("200 OK", "VER. 1.100");
    QCOMPARE(tool({"check-version"}, {{"KV40812_WEB_BASE", server.base()}}).out, QByteArray("not newer: 1.100\n"));
    answer("200 OK", "");
    QCOMPARE(tool({"check-version"}, {{"KV40812_WEB_BASE", server.base()}}).out, QByteArray("not newer\n"));
    // A script must tell "not newer" from "no answer".
    answer("404 Not Found", "VER. 9.999");
    run = tool({"check-version"}, {{"KV40812_WEB_BASE", server.base()}});
    QCOMPARE(run.code, 3);
    QCOMPARE(run.out, QByteArray("unknown: the server answered with HTTP status 404\n"));
    run = tool({"check-version"}, {{"KV40812_WEB_BASE", QStringLiteral("http://127.0.0.1:%1").arg(LocalHttpServer::closedPort())}});
    QCOMPARE(run.code, 3);
    QVERIFY2(run.out.startsWith("unknown: ") && run.out.size() > 10, run.out.constData());
    // Without its HTTP client the tool cannot ask, and says so.
    answer("200 OK", "VER. 9.999");
    const qsizetype asked = server.requests().size();
    run = tool({"check-version"}, {{"KV40812_WEB_BASE", server.base()}, {"KV40812_LIBCURL", "/nonexistent/libcurl.so.4"}});
    QCOMPARE(run.code, 3);
    QVERIFY2(run.out.startsWith("unknown: libcurl could not be loaded: ") && run.out.contains(QDir::toNativeSeparators(QStringLiteral("/nonexistent/libcurl.so.4")).toUtf8()),
             run.out.constData());
    QCOMPARE(server.requests().size(), asked); // nothing asked without the client
}

void TestTool::showPrintsWhatTheEditorLoads()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"),
                 "<Par_Gen><Serial_Baud>$3</Serial_Baud><ModbusSlave_ID_Device>abc</ModbusSlave_ID_Device>"
                 "<ModbusSlave_Enable_NumByteRX>true</ModbusSlave_Enable_NumByteRX></Par_Gen>");
    ParameterValues expected;
    QVERIFY(loadParameterFile(ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")), &expected, nullptr));
    QByteArray lines;
    for (const ParameterDef &def : parameterSet())
        lines += (def.key + u'=' + expected[def.id] + u'\n').toUtf8();
    const Run raw = tool({"--workspace", ws.dir.path(), "show", "P", "--raw"});
    QCOMPARE(raw.code, 0);
    QCOMPARE(raw.out, lines);
    QVERIFY(raw.out.contains("Serial_Baud=3\n"));
    QCOMPARE(tool({"show", ws.path(QStringLiteral("PROJECTS/P")), "--raw"}).out, lines);

    // Without --raw a choice is its item; everything else as stored.
    const Run run = tool({"--workspace", ws.dir.path(), "show", "P"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out.count('\n'), 33);
    for (const char *line : {"Serial_Baud=9600\n", "Serial_DataBits=8\n", "Serial_Send_Type=End Character\n",
                             "Serial_Serial=RS485/RS422\n", "ModbusSlave_ID_Device=abc\n", "ModbusSlave_Enable_NumByteRX=0\n"})
        QVERIFY2(run.out.contains(line), line);

    // The message names the file as it is: a "%2" in its path is no placeholder.
    ws.writeFile(QStringLiteral("PROJECTS/Broken %2/ParGen.xml"), "<Par_Gen><Serial_Baud>");
    const Run broken = tool({"--workspace", ws.dir.path(), "show", "Broken %2"});
    QCOMPARE(broken.code, 2);
    QVERIFY2(broken.err.contains(QDir::toNativeSeparators(QStringLiteral("Broken %2/ParGen.xml: "))), qPrintable(broken.err));
}

void TestTool::setSavesAsTheEditorDoes()
{
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P/bin"))));
    // Keys in any letter case, as item texts.
    const Run run = tool({"--workspace", ws.dir.path(), "set", "P", "Serial_Baud=9600", "serial_send_type=fix num bytes",
                          "SERIAL_DATABITS=7", "ModbusSlave_Parity=2", "ModbusTCPSlave_IP4=77",
                          "ModbusTCPSlave_En_GAT=1", "Serial_TimeOut_RX= 5"});
    QCOMPARE(run.code, 0);
    ParameterValues values = defaultParameterValues();
    values[Param::Serial_Baud] = QStringLiteral("3");
    values[Param::Serial_Send_Type] = QStringLiteral("2");
    values[Param::Serial_DataBits] = QStringLiteral("0");
    values[Param::ModbusSlave_Parity] = QStringLiteral("2");
    values[Param::ModbusTCPSlave_IP4] = QStringLiteral("77");
    values[Param::ModbusTCPSlave_En_GAT] = QStringLiteral("1");
    values[Param::Serial_TimeOut_RX] = QStringLiteral(" 5");
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/ParGen.xml")), parameterFileBytes(values));
}

void TestTool::setRefusesAndChangesNothing_data()
{
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("both ports on RS232") << QStringList{"Serial_Serial=RS232", "ModbusSlave_Serial=0"} << 1
                                          << "Error Serial!! Serial cannot be RS232 in both Serial and Modbus Slave";
    QTest::newRow("IP out of range") << QStringList{"ModbusTCPSlave_IP1=256"} << 1
                                     << "Error Ethernt!! IP Address 1 must be between 0 and 255";
    QTest::newRow("unknown key") << QStringList{"Baud=3"} << 2 << "unknown parameter \"Baud\"; kv40812-tool keys lists them";
    QTest::newRow("mistyped key") << QStringList{"Serial_Bad=3"} << 2
                                  << "unknown parameter \"Serial_Bad\"; did you mean \"Serial_Baud\"?";
    QTest::newRow("unknown item") << QStringList{"Serial_Baud=9601"} << 2 << "3 (9600)";
    QTest::newRow("index past the list") << QStringList{"Serial_Parity=3"} << 2 << "2 (EVEN)";
    QTest::newRow("flag") << QStringList{"ModbusTCPSlave_En_GAT=yes"} << 2 << "1 or 0";
    QTest::newRow("no equals sign") << QStringList{"Serial_Baud"} << 2 << "Serial_Baud: the value is missing";
    QTest::newRow("a character XML cannot hold") << QStringList{QStringLiteral("Serial_TimeOut_RX=5\u0001")} << 1
                                                 << "Serial_TimeOut_RX: the character U+0001 cannot be stored";
}

void TestTool::setRefusesAndChangesNothing()
{
    QFETCH(QStringList, assignments);
    QFETCH(int, code);
    QFETCH(QString, message);
    TestWorkspace ws;
    const QByteArray before = "<Par_Gen><Serial_Baud>1</Serial_Baud></Par_Gen>";
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), before);
    const Run run = tool(QStringList{"--workspace", ws.dir.path(), "set", "P", "Serial_Baud=3"} + assignments);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/ParGen.xml")), before);
}

void TestTool::validate_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("defaults") << QByteArray() << "" << 0 << QByteArray("OK\n");
    QTest::newRow("first broken rule") << QByteArray("<Par_Gen><ModbusSlave_ID_Device>0</ModbusSlave_ID_Device>"
                                                     "<ModbusTCPSlave_IP1>999</ModbusTCPSlave_IP1></Par_Gen>")
                                       << "" << 1 << QByteArray("Error Modbus Slave!! ID Device must be between 1 and 247\n");
    QTest::newRow("in the chosen language") << QByteArray("<Par_Gen><ModbusSlave_ID_Device>0</ModbusSlave_ID_Device></Par_Gen>")
                                            << "Test" << 1 << QByteArray("ID fuori campo\n");
    QTest::newRow("unparsable") << QByteArray("<Par_Gen>") << "" << 2 << QByteArray();
}

void TestTool::validate()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, language);
    QFETCH(int, code);
    QFETCH(QByteArray, out);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P"))));
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"), "STR474 = ID fuori campo\n");
    if (!file.isEmpty())
        ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), file);
    QStringList arguments{"--workspace", ws.dir.path(), "validate", "P"};
    if (!language.isEmpty())
        arguments << QStringLiteral("--language") << language;
    const Run run = tool(arguments);
    QCOMPARE(run.code, code);
    QCOMPARE(run.out, out);
    if (!file.isEmpty()) // a loose file is checked the same way
        QCOMPARE(tool(QStringList(arguments).replaceInStrings(QRegularExpression(QStringLiteral("^P$")),
                                                               ws.path(QStringLiteral("PROJECTS/P/ParGen.xml"))))
                     .code,
                 code);
}

void TestTool::imageAsUpdateDeviceComposesIt()
{
    TestWorkspace ws;
    const QByteArray parGen = "<Par_Gen><Serial_Serial>0</Serial_Serial><Serial_DataBits>0</Serial_DataBits>"
                              "<ModbusTCPSlave_IP1>10</ModbusTCPSlave_IP1></Par_Gen>";
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parGen);
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P/bin"))));
    QByteArray expected;
    QVERIFY(composeImage(parGen, QString(), &expected, nullptr));

    QCOMPARE(tool({"--workspace", ws.dir.path(), "image", "P"}).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/bin/bank.bin")), expected);
    QCOMPARE(tool({"--workspace", ws.dir.path(), "image", "P", "--output", ws.path(QStringLiteral("out.bin"))}).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("out.bin")), expected);
    QCOMPARE(tool({"image", "--input", ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")), "--output",
                   ws.path(QStringLiteral("loose.bin"))})
                 .code,
             0);
    QCOMPARE(ws.readFile(QStringLiteral("loose.bin")), expected);

    // No parameter file: the initial record.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Empty/bin"))));
    QCOMPARE(tool({"--workspace", ws.dir.path(), "image", "Empty"}).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Empty/bin/bank.bin")).right(4), QByteArray("\x51\x11\x00\x00", 4));
}

void TestTool::imageOfAnUnparsableFileWritesNothing()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), "<Par_Gen><Serial_Baud>");
    ws.writeFile(QStringLiteral("PROJECTS/P/bin/bank.bin"), "old");
    const Run run = tool({"--workspace", ws.dir.path(), "image", "P"});
    QCOMPARE(run.code, 2);
    QVERIFY(run.err.contains(QStringLiteral("ParGen.xml")));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/bin/bank.bin")), QByteArray("old"));
    const Run loose = tool({"image", "--input", ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")), "--output",
                            ws.path(QStringLiteral("loose.bin"))});
    QCOMPARE(loose.code, 2);
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("loose.bin"))));
    QCOMPARE(tool({"image", "--input", ws.path(QStringLiteral("missing.xml")), "--output",
                   ws.path(QStringLiteral("loose.bin"))})
                 .code,
             2);
}

void TestTool::inspectDecodesAndChecks()
{
    TestWorkspace ws;
    QByteArray image;
    QVERIFY(composeImage(QByteArray("<Par_Gen><Serial_Serial>0</Serial_Serial><Serial_DataBits>0</Serial_DataBits>"
                                    "<ModbusTCPSlave_En_GAT>1</ModbusTCPSlave_En_GAT></Par_Gen>"),
                         QString(), &image, nullptr));
    ws.writeFile(QStringLiteral("bank.bin"), image);
    const Run run = tool({"inspect", ws.path(QStringLiteral("bank.bin")), "--json"});
    QCOMPARE(run.code, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value(QStringLiteral("Checksum_OK")).toBool(), true);
    QCOMPARE(json.value(QStringLiteral("Serial_Side")).toString(), QStringLiteral("RS232"));
    QCOMPARE(json.value(QStringLiteral("Gateway")).toString(), QStringLiteral("192.168.0.1"));
    QCOMPARE(json.value(QStringLiteral("IP_Address")).toString(), QStringLiteral("192.168.0.10"));
    const QJsonObject rs232 = json.value(QStringLiteral("Ports")).toObject().value(QStringLiteral("RS232_Port")).toObject();
    QCOMPARE(rs232.value(QStringLiteral("Data_Bits")).toInt(), 7);
    QCOMPARE(rs232.value(QStringLiteral("Stop_Bits")).toInt(), 2);
    QCOMPARE(rs232.value(QStringLiteral("Used_By")).toString(), QStringLiteral("Serial"));
    QVERIFY(tool({"inspect", ws.path(QStringLiteral("bank.bin"))}).out.contains("IP_Address: 192.168.0.10\n"));

    QByteArray damaged = image;
    damaged[0x100] = char(damaged[0x100] + 1);
    ws.writeFile(QStringLiteral("damaged.bin"), damaged);
    const quint32 sum = quint8(image[0x7FC]) | quint8(image[0x7FD]) << 8;
    const Run wrongSum = tool({"inspect", ws.path(QStringLiteral("damaged.bin"))});
    QCOMPARE(wrongSum.code, 1);
    QVERIFY2(wrongSum.err.contains(QStringLiteral("expected %1, found %2").arg(sum + 1).arg(sum)), qPrintable(wrongSum.err));

    // A damaged flag word is printed as the bits it holds, not as a negative number.
    QByteArray flags = image;
    flags.replace(0x158, 4, QByteArray("\xD6\xA1\xA5\xCC", 4));
    ws.writeFile(QStringLiteral("flags.bin"), flags);
    const Run damagedFlags = tool({"inspect", ws.path(QStringLiteral("flags.bin"))});
    QCOMPARE(damagedFlags.code, 1);
    QVERIFY2(damagedFlags.out.contains(", flags 0xCCA5A1D6 ("), damagedFlags.out.constData());
    const Run damagedJson = tool({"inspect", ws.path(QStringLiteral("flags.bin")), "--json"});
    QCOMPARE(QJsonDocument::fromJson(damagedJson.out).object().value(QStringLiteral("Serial_Flags")).toDouble(), 3433406934.0);

    ws.writeFile(QStringLiteral("short.bin"), image.left(2000));
    const Run wrongSize = tool({"inspect", ws.path(QStringLiteral("short.bin"))});
    QCOMPARE(wrongSize.code, 1);
    QVERIFY(wrongSize.err.contains(QStringLiteral("expected 2048 bytes, found 2000")));
    QCOMPARE(tool({"inspect", ws.path(QStringLiteral("none.bin"))}).code, 2);
}


void TestTool::aNameIsAConfigurationInTheWorkspace_data()
{
    // Run in a folder that holds its own P and Q; the workspace holds P and a language file
    // beside LANGUAGE. "IMAGE" stands for an image of 9600 baud.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says"); // on stdout or stderr
    QTest::addColumn<QString>("written"); // under the workspace; empty for nothing
    QTest::newRow("set of an empty name") << QStringList{"set", "", "Serial_Baud=3"} << 1
                                          << "Error! Name Project is not valid" << "";
    QTest::newRow("job of an empty name") << QStringList{"job", "", "--ip", "127.0.0.1", "--option", "1"} << 1
                                          << "Error! Name Project is not valid" << "";
    QTest::newRow("export of an empty name") << QStringList{"export", ""} << 1 << "Error! Name Project is not valid"
                                             << "";
    QTest::newRow("diff of an empty name, not \"different\"") << QStringList{"diff", "", "P"} << 2
                                                             << "Error! Name Project is not valid" << "";
    QTest::newRow("a name that leaves PROJECTS") << QStringList{"set", "..", "Serial_Baud=3"} << 1
                                                 << "Error! Name project is not valid" << "";
    QTest::newRow("a name is the workspace's, ./ the folder here")
        << QStringList{"diff", "P", "./P"} << 1 << "Serial_Baud: 115200 -> 9600" << "";
    QTest::newRow("a name not in the workspace is no folder here")
        << QStringList{"show", "Q"} << 2 << "no configuration \"Q\"" << "";
    QTest::newRow("import into the workspace, not into the folder here")
        << QStringList{"import", "IMAGE", "Q"} << 0 << QDir::toNativeSeparators(QStringLiteral("PROJECTS/Q/ParGen.xml"))
        << "PROJECTS/Q/ParGen.xml";
    QTest::newRow("import takes a name only") << QStringList{"import", "IMAGE", "./Q"} << 1
                                              << "Error! Name project is not valid" << "";
    QTest::newRow("a language beside LANGUAGE") << QStringList{"--language", "../Outside", "list"} << 2
                                                << "no language \"../Outside\"" << "";
}

void TestTool::aNameIsAConfigurationInTheWorkspace()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, says);
    QFETCH(QString, written);
    TestWorkspace ws;
    const QString workspace = ws.path(QStringLiteral("workspace"));
    ws.writeFile(QStringLiteral("workspace/PROJECTS/P/ParGen.xml"), parameterFileBytes(defaultParameterValues()));
    ws.writeFile(QStringLiteral("workspace/Outside.lng"), "STR107 = outside\n");
    for (const char *folder : {"MASTER", "LANGUAGE"})
        QVERIFY(QDir().mkpath(ws.path(QStringLiteral("workspace/") + QString::fromLatin1(folder))));
    const QByteArray here = parameterFileBytes(valuesWith(QStringLiteral("Serial_Baud=3")));
    ws.writeFile(QStringLiteral("here/P/ParGen.xml"), here);
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("here/Q"))));
    const QByteArray image = composedImage(here);
    ws.writeFile(QStringLiteral("image.bin"), image);
    const QStringList files = QDir(workspace).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const Run run = tool(QStringList{"--workspace", workspace} + arguments.replaceInStrings(QStringLiteral("IMAGE"), ws.path(QStringLiteral("image.bin"))),
                         {}, ws.path(QStringLiteral("here")));
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(says) || QString::fromUtf8(run.out).contains(says), qPrintable(run.err));
    // Nothing outside PROJECTS' configurations, and nothing in the folder the run was started in.
    QCOMPARE(QDir(workspace).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("workspace/PROJECTS/ParGen.xml"))));
    QCOMPARE(ws.readFile(QStringLiteral("here/P/ParGen.xml")), here);
    QCOMPARE(QDir(ws.path(QStringLiteral("here/Q"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    const QStringList configurations = written.isEmpty() ? QStringList{"P"} : QStringList{"P", "Q"};
    QCOMPARE(QDir(ws.path(QStringLiteral("workspace/PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             configurations);
    if (!written.isEmpty())
        QCOMPARE(composedImage(ws.readFile(QStringLiteral("workspace/") + written)), image);
}

void TestTool::newWarnsOfNamesThatDoNotTravel_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    QTest::newRow("letter case") << "plant" << "\"plant\" differs from the configuration \"Plant\" only in letter case";
    QTest::newRow("normalisation") << QStringLiteral("Cafe\u0301")
                                   << QStringLiteral("\"Cafe\u0301\" differs from the configuration \"Caf\u00E9\" "
                                                     "only in Unicode normalisation (NFC or NFD)");
    QTest::newRow("a reserved device name") << "aux.cfg"
                                            << "Windows cannot hold the name \"aux.cfg\" (a device name Windows reserves)";
    QTest::newRow("a trailing dot") << "Plant 2." << "Windows cannot hold the name \"Plant 2.\" (it ends in a dot or a blank)";
    QTest::newRow("a name that travels") << "Plant 3" << "";
}

void TestTool::newWarnsOfNamesThatDoNotTravel()
{
    QFETCH(QString, name);
    QFETCH(QString, warning);
    if (systemHasWindowsNames() && (warning.contains(QStringLiteral("letter case")) || warning.startsWith(QStringLiteral("Windows"))))
        QSKIP("Windows itself refuses this name: its folders ignore letter case, and it holds no such name");
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant"))));
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Caf\u00E9"))));
    const Run run = tool({"--workspace", ws.dir.path(), "new", name});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, warning.isEmpty() ? QString() : QStringLiteral("kv40812-tool: warning: ") + warning + u'\n');
    QVERIFY(QFileInfo(ws.path(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin"))).isDir());
}

namespace {

// How the tool names this test process when it holds a configuration's lock.
QString heldByThisProcess()
{
    return QStringLiteral("in use by another run: %1, process %2 on %3")
        .arg(QCoreApplication::applicationName(),
             QString::number(QCoreApplication::applicationPid()), QSysInfo::machineHostName());
}

} // namespace

void TestTool::aRunHoldingTheLockIsNamedAndNothingWritten()
{
    TestWorkspace ws;
    const QString folder = ws.path(QStringLiteral("PROJECTS/P"));
    const QByteArray parGen = parameterFileBytes(defaultParameterValues());
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parGen);
    ws.writeFile(QStringLiteral("PROJECTS/P/bin/bank.bin"), composedImage(parGen));
    ws.writeFile(QStringLiteral("image.bin"), composedImage(parameterFileBytes(valuesWith(QStringLiteral("Serial_Baud=3")))));
    ws.writeFile(QStringLiteral("plan.csv"), "Name,Serial_Baud\nP,3\n");

    // This process is the other run: every writer waits for it, then gives up and names it.
    ConfigurationLock held(folder);
    QString error;
    QVERIFY(held.acquire(&error));
    const QList<QStringList> writers{{"set", "P", "Serial_Baud=3"},
                                     {"image", "P"},
                                     {"import", ws.path(QStringLiteral("image.bin")), "P", "--force"},
                                     {"job", "P", "--ip", "127.0.0.1", "--option", "2"},
                                     {"batch", ws.path(QStringLiteral("plan.csv"))}};
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const QStringList &writer : writers)
        runs.push_back(startTool(QStringList{"--workspace", ws.dir.path()} + writer));
    for (qsizetype i = 0; i < writers.size(); ++i) {
        const Run run = finish(*runs.at(i));
        QVERIFY2(run.code == 1 && run.err.contains(heldByThisProcess(), Qt::CaseInsensitive), qPrintable(writers.at(i).first() + QStringLiteral(": ") + run.err));
    }
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/ParGen.xml")), parGen);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/bin/bank.bin")), composedImage(parGen));
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
}

void TestTool::aLockOfARunThatEndedIsTakenOver()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parameterFileBytes(defaultParameterValues()));
    const QString lockPath = ConfigurationLock::pathIn(ws.path(QStringLiteral("PROJECTS/P")));
    // The lock as a run writes it, then left behind in the name of one that has ended since.
    QByteArray left;
    {
        QLockFile lock(lockPath);
        QVERIFY(lock.tryLock());
        QFile file(lockPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        left = file.readAll();
    }
    const std::unique_ptr<QProcess> ended = startTool({"--help"});
    QVERIFY(ended->waitForStarted());
    const qint64 pid = ended->processId();
    QCOMPARE(finish(*ended).code, 0);
    left.replace(0, left.indexOf('\n'), QByteArray::number(pid));
    ws.writeFile(QStringLiteral("PROJECTS/P/.kv40812.lock"), left);
    QCOMPARE(ConfigurationLock::pathIn(ws.path(QStringLiteral("PROJECTS/P"))), ws.path(QStringLiteral("PROJECTS/P/.kv40812.lock")));

    const Run run = tool({"--workspace", ws.dir.path(), "set", "P", "Serial_Baud=3"});
    QCOMPARE(run.code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/P/ParGen.xml")), parameterFileBytes(valuesWith(QStringLiteral("Serial_Baud=3"))));
    QVERIFY(!QFileInfo::exists(lockPath));
}

void TestTool::twoSetsAtOnceLoseNothing()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"), parameterFileBytes(defaultParameterValues()));
    const QStringList set{"--workspace", ws.dir.path(), "set", "P"};
    for (int round = 1; round <= 8; ++round) {
        const QString value = QString::number(round);
        const std::pair<Param::Id, std::unique_ptr<QProcess>> runs[] = {
            {Param::ModbusSlave_Control_Word, startTool(set + QStringList{"ModbusSlave_Control_Word=" + value})},
            {Param::ModbusSlave_Status_Word, startTool(set + QStringList{"ModbusSlave_Status_Word=" + value})}};
        QList<Run> ends;
        for (const auto &[key, process] : runs)
            ends << finish(*process);
        ParameterValues values;
        QVERIFY(loadParameterFile(ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")), &values, nullptr));
        // Each change is kept, or its run says it was refused: never a success overwritten.
        for (qsizetype i = 0; i < ends.size(); ++i) {
            if (ends.at(i).code == 0)
                QCOMPARE(values[runs[i].first], value);
            else
                QVERIFY2(ends.at(i).code == 1 && ends.at(i).err.contains(QStringLiteral("in use by another run")),
                         qPrintable(ends.at(i).err));
        }
    }
}


QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"

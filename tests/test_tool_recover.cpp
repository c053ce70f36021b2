#include "core/Constants.h"
#include "core/TextIndex.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "params/ConfigImage.h"
#include "params/ImageImport.h"
#include "params/ParameterFile.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QtEndian>

namespace {

// The tool on a workspace, with the workspace option after the command's own arguments.
Run tool(const TestWorkspace &ws, QStringList arguments)
{
    return tool(arguments << QStringLiteral("--workspace") << ws.dir.path());
}

QByteArray parGenWith(const QString &changes)
{
    return parameterFileBytes(valuesWith(changes));
}

// A configuration folder, with a parameter file unless `parGen` is null.
void makeConfiguration(const TestWorkspace &ws, const QString &name, const QByteArray &parGen)
{
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/%1/bin").arg(name))));
    if (!parGen.isNull())
        ws.writeFile(QStringLiteral("PROJECTS/%1/ParGen.xml").arg(name), parGen);
}

} // namespace

class TestToolRecover : public QObject {
    Q_OBJECT

private slots:
    void importWritesWhatComposesBack_data();
    void importWritesWhatComposesBack();
    void importRefusesAndKeepsFiles_data();
    void importRefusesAndKeepsFiles();
    void importOfTheInitialImage();
    void diff_data();
    void diff();
    void report();
    void reportOfWhatCannotBeRead();
    void reportSpeaksTheChosenLanguage();
};

void TestToolRecover::importWritesWhatComposesBack_data()
{
    QTest::addColumn<QByteArray>("parGen");
    QTest::newRow("defaults") << parGenWith({});
    QTest::newRow("a set the editor saves")
        << parGenWith("Serial_Serial=0;Serial_Baud=3;Serial_Send_Type=2;Serial_Num_Byte=64;ModbusSlave_ID_Device=12;"
                      "ModbusTCPSlave_IP1=10;ModbusTCPSlave_En_GAT=1;ModbusTCPSlave_GAT1=10");
    // Odd texts the editor never writes, both ports on RS232, and missing keys.
    QTest::newRow("a file of another program")
        << QByteArray("<Config><Serial_Serial>0</Serial_Serial><ModbusSlave_Serial>0</ModbusSlave_Serial>"
                      "<Serial_Parity>$10002</Serial_Parity><Serial_DataBits>0</Serial_DataBits>"
                      "<Serial_End_Char>-1</Serial_End_Char><ModbusTCPSlave_IP4>  260</ModbusTCPSlave_IP4></Config>");
}

void TestToolRecover::importWritesWhatComposesBack()
{
    QFETCH(QByteArray, parGen);
    TestWorkspace ws;
    const QByteArray image = composedImage(parGen);
    ws.writeFile(QStringLiteral("read-back.bin"), image);

    const Run run = tool({"--workspace", ws.dir.path(), "import", ws.path("read-back.bin"), "Recovered"});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QString written = ws.path(QStringLiteral("PROJECTS/Recovered/ParGen.xml"));
    QCOMPARE(run.out, QDir::toNativeSeparators(written).toUtf8() + '\n');
    QVERIFY(QFileInfo(ws.path(QStringLiteral("PROJECTS/Recovered/bin"))).isDir());

    // The file is the editor's, and Update Device composes the very image from it.
    ImageImport expected;
    QString error;
    QVERIFY(importImage(image, &expected, &error));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Recovered/ParGen.xml")), parameterFileBytes(expected.values));
    QCOMPARE(tool(ws, {"image", "Recovered"}).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Recovered/bin/bank.bin")), image);
}

void TestToolRecover::importRefusesAndKeepsFiles_data()
{
    QTest::addColumn<QString>("imageChanges"); // patched into the defaults' image; "size" cuts a byte
    QTest::addColumn<bool>("fixChecksum");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("existing parameter file") << "" << true << "Existing" << 1 << "ParGen.xml exists; --force replaces it";
    QTest::newRow("wrong size") << "size" << true << "New" << 1 << "wrong size: expected 2048 bytes, found 2047";
    QTest::newRow("wrong checksum") << "0x7FC: 00" << false << "New" << 1 << "wrong checksum: expected";
    QTest::newRow("reserved byte") << "0x200: 01" << true << "New" << 1 << "reserved byte at offset 0x200 is 0x1, not 0";
    QTest::newRow("port code") << "0x061: 43" << true << "Existing" << 1 << "ModbusSlave_Port_Code at offset 0x061";
    QTest::newRow("name the dialog refuses") << "" << true << "a\tb" << 1 << "Error! Name project is not valid";
    QTest::newRow("image that cannot be read") << "missing" << true << "New" << 2 << "";
}

void TestToolRecover::importRefusesAndKeepsFiles()
{
    QFETCH(QString, imageChanges);
    QFETCH(bool, fixChecksum);
    QFETCH(QString, target);
    QFETCH(int, code);
    QFETCH(QString, message);
    TestWorkspace ws;
    const QByteArray original = parGenWith("ModbusSlave_ID_Device=5");
    makeConfiguration(ws, QStringLiteral("Existing"), original);
    QByteArray image = composedImage(parGenWith("ModbusSlave_ID_Device=9"));
    if (imageChanges == u"size") {
        image.chop(1);
    } else if (imageChanges != u"missing") {
        patch(image, imageChanges);
        if (fixChecksum)
            setImageChecksum(image);
    }
    if (imageChanges != u"missing")
        ws.writeFile(QStringLiteral("device.bin"), image);

    const Run run = tool(ws, {"import", ws.path("device.bin"), target});
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.startsWith(QStringLiteral("kv40812-tool: ")) && run.err.contains(message), qPrintable(run.err));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Existing/ParGen.xml")), original);
    QCOMPARE(QDir(ws.path(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Existing")});

    if (target == u"Existing" && code == 1 && message.contains(u"--force")) {
        // --force may stand anywhere; then the image's parameters replace the file.
        const Run forced = tool({"--force", "import", "--workspace", ws.dir.path(), ws.path("device.bin"), target});
        QVERIFY2(forced.code == 0, qPrintable(forced.err));
        QVERIFY(ws.readFile(QStringLiteral("PROJECTS/Existing/ParGen.xml")).contains("<ModbusSlave_ID_Device>9<"));
    }
}

void TestToolRecover::importOfTheInitialImage()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("initial.bin"), composedImage(std::nullopt));

    const Run created = tool(ws, {"import", ws.path("initial.bin"), "Fresh"});
    QCOMPARE(created.code, 0);
    QVERIFY(QFileInfo(ws.path(QStringLiteral("PROJECTS/Fresh/bin"))).isDir());
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/Fresh/ParGen.xml"))));
    QVERIFY(created.out.contains("no ParGen.xml"));

    makeConfiguration(ws, QStringLiteral("Used"), parGenWith({}));
    const Run refused = tool(ws, {"import", ws.path("initial.bin"), "Used"});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("--force removes it")), qPrintable(refused.err));
    QVERIFY(QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/Used/ParGen.xml"))));

    const Run removed = tool(ws, {"import", ws.path("initial.bin"), "Used", "--force"});
    QCOMPARE(removed.code, 0);
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/Used/ParGen.xml"))));
    QVERIFY(removed.out.startsWith("removed " + QDir::toNativeSeparators(ws.path("PROJECTS/Used/ParGen.xml")).toUtf8()));
    // Update Device composes the same image again.
    QCOMPARE(tool(ws, {"image", "Used"}).code, 0);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Used/bin/bank.bin")), composedImage(std::nullopt));
}

void TestToolRecover::diff_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");

    const QString otherLines = QStringLiteral("Serial_Parity: NONE -> EVEN\n"
                                              "Serial_Send_Type: End Character -> Num Bytes on Control Word\n"
                                              "ModbusSlave_ID_Device: 1 -> 9\n");
    QTest::newRow("itself") << "Plant" << "Plant" << 0 << "";
    QTest::newRow("configuration and its image") << "Plant" << "plant.bin" << 0 << "";
    QTest::newRow("image and its parameter file") << "plant.bin" << "PROJECTS/Plant/ParGen.xml" << 0 << "";
    QTest::newRow("choices as item texts") << "Plant" << "Other" << 1 << otherLines;
    QTest::newRow("image against a configuration") << "plant.bin" << "Other" << 1 << otherLines;
    QTest::newRow("numbers of a gateway switched off, in files") << "Plant" << "gateway.xml" << 1
                                                                 << "ModbusTCPSlave_GAT1: 7 -> 99\n";
    QTest::newRow("numbers of a gateway switched off, against an image") << "plant.bin" << "gateway.xml" << 0 << "";
    QTest::newRow("gateway switched on against an image without one")
        << "plant.bin" << "gateway-on.xml" << 1 << "ModbusTCPSlave_En_GAT: 0 -> 1\n";
    QTest::newRow("texts that compose alike differ in files")
        << "Plant" << "hexadecimal.xml" << 1 << "ModbusTCPSlave_IP1: 10 -> $0A\nModbusTCPSlave_SM4: 0 -> \" 0\"\n";
    QTest::newRow("texts that compose alike, against an image") << "plant.bin" << "hexadecimal.xml" << 0 << "";
    QTest::newRow("no parameter file") << "Empty" << "Plant" << 1 << "ParGen.xml: none -> present\n";
    QTest::newRow("initial image") << "Plant" << "initial.bin" << 1 << "ParGen.xml: present -> none\n";
    QTest::newRow("initial image and a configuration without parameters") << "initial.bin" << "Empty" << 0 << "";
    QTest::newRow("missing file") << "Plant" << "missing.bin" << 2 << "";
    QTest::newRow("unknown configuration") << "Nowhere" << "Plant" << 2 << "";
    QTest::newRow("refused image") << "broken.bin" << "Plant" << 2 << "";
    QTest::newRow("parameter file that is no XML") << "Plant" << "broken.xml" << 2 << "";
}

void TestToolRecover::diff()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, code);
    QFETCH(QString, out);
    TestWorkspace ws;
    const QString plant = QStringLiteral("Serial_Baud=3;ModbusTCPSlave_IP1=10;ModbusTCPSlave_GAT1=7");
    makeConfiguration(ws, QStringLiteral("Plant"), parGenWith(plant));
    makeConfiguration(ws, QStringLiteral("Other"),
                      parGenWith(plant + ";Serial_Parity=2;Serial_Send_Type=1;ModbusSlave_ID_Device=9"));
    makeConfiguration(ws, QStringLiteral("Empty"), QByteArray());
    ws.writeFile(QStringLiteral("gateway.xml"), parGenWith(plant + ";ModbusTCPSlave_GAT1=99"));
    ws.writeFile(QStringLiteral("gateway-on.xml"), parGenWith(plant + ";ModbusTCPSlave_En_GAT=1"));
    ws.writeFile(QStringLiteral("hexadecimal.xml"), parGenWith(plant + ";ModbusTCPSlave_IP1=$0A;ModbusTCPSlave_SM4= 0"));
    ws.writeFile(QStringLiteral("broken.xml"), "<Par_Gen><Serial_Baud>");
    ws.writeFile(QStringLiteral("plant.bin"), composedImage(parGenWith(plant)));
    ws.writeFile(QStringLiteral("initial.bin"), composedImage(std::nullopt));
    QByteArray broken = composedImage(parGenWith(plant));
    broken[0x300] = 1;
    setImageChecksum(broken);
    ws.writeFile(QStringLiteral("broken.bin"), broken);

    // Files by path, configurations by name.
    const auto side = [&ws](const QString &s) { return s.contains(u'.') ? ws.path(s) : s; };
    const Run run = tool({"diff", side(a), "--workspace", ws.dir.path(), side(b)});
    QCOMPARE(run.code, code);
    QCOMPARE(QString::fromUtf8(run.out), out);
    QCOMPARE(run.err.isEmpty(), code != 2);
}

void TestToolRecover::report()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"),
                 "STR406 = Seriell\nSTR408 = Baudrate (Bd)\nSTR412 = Zahl im Steuerwort\nSTR474 = ID falsch\n");
    // A name that is markup, valid values and a composed image; a broken rule and no image.
    // Windows takes no < or > in a name: there the name is an entity, which must show as written.
    const QString markup = systemHasWindowsNames() ? QStringLiteral("&lt;script&gt;") : QStringLiteral("<script>");
    const QString markupShown = systemHasWindowsNames() ? QStringLiteral("&amp;lt;script&amp;gt;") : QStringLiteral("&lt;script&gt;");
    makeConfiguration(ws, markup, parGenWith("Serial_Baud=3;Serial_Send_Type=1"));
    QCOMPARE(tool(ws, {QStringLiteral("image"), markup}).code, 0);
    makeConfiguration(ws, QStringLiteral("Line & Co"), parGenWith("ModbusSlave_ID_Device=0;ModbusTCPSlave_En_GAT=1;ModbusTCPSlave_IP4=255"));

    const QDate before = QDate::currentDate();
    const Run run = tool(ws, {QStringLiteral("report"), markup, QStringLiteral("--language"), QStringLiteral("Test"),
                              QStringLiteral("Line & Co"), QStringLiteral("--output"), ws.path(QStringLiteral("sheet.html"))});
    const QDate after = QDate::currentDate();
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QString html = QString::fromUtf8(ws.readFile(QStringLiteral("sheet.html")));

    // Self-contained, nothing runs, and what came from files is text.
    for (const char *outside : {"<script", "src=", "href=", "url(", "@import"})
        QVERIFY2(!html.contains(QLatin1String(outside), Qt::CaseInsensitive), outside);

    // One section a configuration, each headed by its name and the date, on a page of its own.
    const QStringList sections = html.split(QStringLiteral("<section>")).mid(1);
    QCOMPARE(sections.size(), 2);
    QVERIFY(html.contains(QStringLiteral("size: A4")) && html.contains(QStringLiteral("break-after: page"))
            && html.contains(QStringLiteral("break-inside: avoid")));
    const QStringList headings{QStringLiteral("<h1>%1</h1>").arg(markupShown), QStringLiteral("<h1>Line &amp; Co</h1>")};
    for (qsizetype i = 0; i < sections.size(); ++i) {
        QVERIFY(sections.at(i).contains(headings.at(i)));
        QVERIFY(sections.at(i).contains(QStringLiteral("<p class=\"date\">%1</p>").arg(before.toString(Qt::ISODate)))
                || sections.at(i).contains(QStringLiteral("<p class=\"date\">%1</p>").arg(after.toString(Qt::ISODate))));
    }

    // The editor's groups in the chosen language, lists as their item texts, rows as it shows them.
    const QString &first = sections.at(0);
    QVERIFY(first.contains(QStringLiteral("<caption>Seriell</caption>")));
    QVERIFY(first.contains(QStringLiteral("<tr><th>Baudrate (Bd)</th><td>9600</td></tr>")));
    QVERIFY(first.contains(QStringLiteral("<td>Zahl im Steuerwort</td>")));
    QVERIFY(!first.contains(QStringLiteral("End Character</th>")) && !first.contains(QStringLiteral("Num Bytes to Send")));
    QVERIFY(first.contains(QStringLiteral("All validation rules pass.")));
    QVERIFY(first.contains(QStringLiteral("No network warnings.")));
    const quint32 checksum = qFromLittleEndian<quint32>(ws.readFile(QStringLiteral("PROJECTS/%1/bin/bank.bin").arg(markup)).constData() + 0x7FC);
    QVERIFY(first.contains(QStringLiteral("Checksum %1 ").arg(checksum)));

    const QString &second = sections.at(1);
    QVERIFY(second.contains(QStringLiteral("<p class=\"broken\">ID falsch</p>")));
    QVERIFY(second.contains(QStringLiteral("<tr><th>End Character</th><td>13</td></tr>")));
    QVERIFY(second.contains(QStringLiteral("<tr><th>GATEWAY</th><td>&#x2611; 192.168.0.1</td></tr>")));
    // Without an image, the sheet says how to compose one; the name is quoted for a shell.
    QVERIFY2(second.contains(QStringLiteral("<p>The configuration image has not been composed yet. Compose it with "
                                            "&quot;Update Device&quot; in the configurator, or on the command line "
                                            "with: kv40812-tool image &quot;Line &amp; Co&quot;</p>")),
             qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("<li>the address 192.168.0.255 is the broadcast address of its subnet 192.168.0.0/24</li>")),
             qPrintable(second));

    // Without --output the sheet goes to stdout.
    const Run toStdout = tool(ws, {"report", "Line & Co"});
    QCOMPARE(toStdout.code, 0);
    QVERIFY(toStdout.out.startsWith("<!DOCTYPE html>"));
}

void TestToolRecover::reportOfWhatCannotBeRead()
{
    TestWorkspace ws;
    makeConfiguration(ws, QStringLiteral("Broken"), "<Par_Gen>");
    makeConfiguration(ws, QStringLiteral("Fine"), parGenWith({}));
    for (const QStringList &arguments : {QStringList{"report"}, QStringList{"report", "Fine", "Nowhere"},
                                          QStringList{"report", "Fine", "Broken", "--output", ws.path("sheet.html")}}) {
        const Run run = tool(ws, arguments);
        QCOMPARE(run.code, 2);
        QVERIFY(run.out.isEmpty());
    }
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("sheet.html"))));
}

void TestToolRecover::reportSpeaksTheChosenLanguage()
{
    TestWorkspace ws;
    QString error;
    QVERIFY2(copyShippedLanguages(QStringLiteral(KV_LANGUAGES), ws.path(QStringLiteral("LANGUAGE")), &error),
             qPrintable(error));
    // Between them every part of a sheet: defaults, passing and broken rules, every kind of
    // image, warnings.
    makeConfiguration(ws, QStringLiteral("New one"), QByteArray());
    makeConfiguration(ws, QStringLiteral("Current"), parGenWith("Serial_Send_Type=1"));
    makeConfiguration(ws, QStringLiteral("Stale"), parGenWith({}));
    makeConfiguration(ws, QStringLiteral("Cut"), parGenWith("ModbusSlave_ID_Device=0;ModbusTCPSlave_IP4=255"));
    makeConfiguration(ws, QStringLiteral("Summed"),
                      parGenWith("ModbusTCPSlave_IP1=127;ModbusTCPSlave_SM2=0;ModbusTCPSlave_En_GAT=1;"
                                 "ModbusTCPSlave_GAT1=10"));
    for (const char *name : {"Current", "Stale", "Summed"})
        QCOMPARE(tool(ws, {"image", name}).code, 0);
    makeConfiguration(ws, QStringLiteral("Stale"), parGenWith("Serial_Baud=3"));
    ws.writeFile(QStringLiteral("PROJECTS/Cut/bin/bank.bin"), QByteArray(100, '\0'));
    QByteArray summed = ws.readFile(QStringLiteral("PROJECTS/Summed/bin/bank.bin"));
    summed[0x100] = char(summed.at(0x100) ^ 1);
    ws.writeFile(QStringLiteral("PROJECTS/Summed/bin/bank.bin"), summed);

    const QStringList names{"New one", "Current", "Stale", "Cut", "Summed"};
    const Run english = tool(ws, QStringList{"report"} + names);
    // The language by its name in any letter case.
    const Run german = tool(ws, QStringList{"report", "--language", "deutsch"} + names);
    QVERIFY2(english.code == 0 && german.code == 0, qPrintable(english.err + german.err));
    const QString html = QString::fromUtf8(german.out);
    QVERIFY(html.contains(QStringLiteral("<html lang=\"de\">")));

    // Text by text, the German sheet differs from the English one, but for numbers and names:
    // the configurations', the device's, fixed list items, and words the German file itself
    // keeps as they are in English (Baudrate, Ethernet).
    TextTable builtin;
    Set_Default_Lang(builtin);
    TextTable deutsch{QStringList(kTextCount), kTextCount}; // only what the file sets
    QVERIFY(Read_Lang_File(deutsch, ws.path(QStringLiteral("LANGUAGE/Deutsch.lng")), &error));
    QSet<QString> same{kSwCode, kSwDesc};
    for (const QString &name : names)
        same << name.toHtmlEscaped();
    for (const ParameterDef &def : parameterSet())
        for (const QString &item : def.items)
            same << item;
    for (int i = 0; i < kTextCount; ++i) {
        if (deutsch.text(i) == builtin.text(i))
            same << deutsch.text(i).trimmed();
    }
    static const QRegularExpression number(QStringLiteral("^(&#x[0-9A-F]+;)?[\\s\\d./:()-]*$"));
    const auto textNodes = [](const QByteArray &page) {
        static const QRegularExpression node(QStringLiteral(">([^<]+)<"));
        QString body = QString::fromUtf8(page);
        body.remove(QRegularExpression(QStringLiteral("<style>.*</style>"), QRegularExpression::DotMatchesEverythingOption));
        QStringList nodes;
        for (const QRegularExpressionMatch &m : node.globalMatch(body)) {
            if (!m.captured(1).trimmed().isEmpty())
                nodes << m.captured(1).trimmed();
        }
        return nodes;
    };
    const QStringList en = textNodes(english.out);
    const QStringList de = textNodes(german.out);
    QCOMPARE(de.size(), en.size());
    for (qsizetype i = 0; i < en.size(); ++i) {
        const QString &text = de.at(i);
        QVERIFY2(text != en.at(i) || same.contains(text) || number.match(text).hasMatch(),
                 qPrintable(QStringLiteral("English left in the German sheet: \"%1\"").arg(text)));
    }
    // Nor is an English sentence left inside a German text: no piece between the places of the
    // sheet's own texts shows.
    for (int i = Txt::SheetTitle; i <= Txt::NetGatewayOutsideSubnet; ++i) {
        for (const QString &piece : builtin.text(i).split(QRegularExpression(QStringLiteral("%\\d")))) {
            if (piece.trimmed().count(u' ') >= 1)
                QVERIFY2(!html.contains(piece.trimmed().toHtmlEscaped()), qPrintable(piece));
        }
    }
}

QTEST_GUILESS_MAIN(TestToolRecover)
#include "test_tool_recover.moc"

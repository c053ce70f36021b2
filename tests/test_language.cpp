#include "core/AppState.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "support/TestSupport.h"

#include <QTest>

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void builtinTable();
    void singleLine_data();
    void singleLine();
    void encodingsGiveTheSameTexts_data();
    void encodingsGiveTheSameTexts();
    void lineEnds_data();
    void lineEnds();
    void laterLineWins();
    void loadFallsBackToEnglish();
    void switchStartsAgainFromEnglish();
    void unreadableFileKeepsBuiltinTexts();
    void valuesFillTheirPlaces_data();
    void valuesFillTheirPlaces();
};

void TestLanguage::builtinTable()
{
    TextTable table;
    Set_Default_Lang(table);
    QCOMPARE(table.entries.size(), 800);
    QCOMPARE(table.Text_Count, 800);
    QCOMPARE(table.text(0), QStringLiteral("Begin"));
    QCOMPARE(table.text(9), QStringLiteral("None Configuration Opened "));
    QCOMPARE(table.text(11), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(table.text(25), QStringLiteral(" "));
    QCOMPARE(table.text(202), QStringLiteral("List of Avaliable Configurations"));
    QCOMPARE(table.text(306), QStringLiteral(" / "));
    QCOMPARE(table.text(479), QStringLiteral("Error Ethernt!! IP Address 1 must be between 0 and 255"));
    QCOMPARE(table.text(519), QStringLiteral("Error Serial!! Time to Wait in RX must be between 1 and 1000 milliseconds"));
    QCOMPARE(table.text(644), QStringLiteral("Create a new configuration before to donwload it"));
    QCOMPARE(table.text(799), QStringLiteral(" "));

    // Exactly eleven texts begin or end with a blank, apart from the single-blank fillers.
    QList<int> padded;
    for (int i = 0; i < table.entries.size(); ++i) {
        const QString &t = table.entries.at(i);
        if (t != u" " && (t.startsWith(u' ') || t.endsWith(u' ')))
            padded << i;
    }
    QCOMPARE(padded, (QList<int>{9, 11, 304, 305, 306, 316, 317, 406, 424, 441, 442}));
}

void TestLanguage::singleLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    const QString p(QChar(0x00B6));
    QTest::newRow("plain") << "STR12 = Hello" << 12 << "Hello";
    QTest::newRow("blank before index") << "STR 12 = Hello" << 12 << "Hello";
    QTest::newRow("leading zeros") << "STR0012 = Hello" << 12 << "Hello";
    QTest::newRow("no blank before equals sets 12") << "STR12= Hello" << 12 << "Hello";
    QTest::newRow("no blank before equals leaves 1") << "STR12= Hello" << 1 << "Step 1";
    QTest::newRow("small letters") << "str12 = Hello" << 12 << "Information";
    QTest::newRow("last index") << "STR799 = x" << 799 << "x";
    QTest::newRow("past the end") << "STR800 = x" << 799 << " ";
    QTest::newRow("negative") << "STR-1 = x" << 0 << "Begin";
    QTest::newRow("empty text") << "STR12 =" << 12 << "Information";
    QTest::newRow("two pilcrows") << "STR12 = " + p + p << 12 << "";
    QTest::newRow("one pilcrow") << "STR12 = " + p << 12 << "";
    QTest::newRow("comment") << "STR12 = Hello /#/ greeting" << 12 << "Hello";
    QTest::newRow("comment only") << "STR12 = /#/ note" << 12 << "Information";
    QTest::newRow("padded") << "STR306 = " + p + " / " + p << 306 << " / ";
    QTest::newRow("text after pilcrow") << "STR12 = " + p + "ab" + p + "cd" << 12 << "ab";
    QTest::newRow("pilcrow inside") << "STR12 = a" + p + "b" << 12 << "a";
    QTest::newRow("second equals") << "STR12 = a = b" << 12 << "a = b";
    QTest::newRow("not at start") << "Hello = STR12" << 12 << "Information";
    QTest::newRow("tabs and controls around") << "\t STR12 \t=\t Hello \x01" << 12 << "Hello";
    QTest::newRow("no equals") << "STR12 Hello" << 12 << "Information";
}

void TestLanguage::singleLine()
{
    QFETCH(QString, line);
    QFETCH(int, index);
    QFETCH(QString, expected);
    TextTable table;
    Set_Default_Lang(table);
    applyLanguageText(table, line);
    QCOMPARE(table.text(index), expected);
}

void TestLanguage::encodingsGiveTheSameTexts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("header line\r\nSTR12 = Caf\u00e9 \u20ac\r\nSTR306 = \u00b6 / \u00b6\r\n");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("utf-8 without mark") << text.toUtf8();
    QByteArray cp1252 = "header line\r\nSTR12 = Caf\xE9 \x80\r\nSTR306 = \xB6 / \xB6\r\n";
    QTest::newRow("windows-1252") << cp1252;
    QByteArray le("\xFF\xFE", 2);
    QByteArray be("\xFE\xFF", 2);
    for (QChar c : text) {
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("utf-16 le") << le;
    QTest::newRow("utf-16 be") << be;
}

void TestLanguage::encodingsGiveTheSameTexts()
{
    QFETCH(QByteArray, bytes);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("x.lng"), bytes);
    TextTable table;
    Set_Default_Lang(table);
    QString error;
    QVERIFY(Read_Lang_File(table, ws.path(QStringLiteral("x.lng")), &error));
    QCOMPARE(table.text(12), QStringLiteral("Caf\u00e9 \u20ac"));
    QCOMPARE(table.text(306), QStringLiteral(" / "));
}

void TestLanguage::lineEnds_data()
{
    QTest::addColumn<QString>("separator");
    QTest::newRow("crlf") << "\r\n";
    QTest::newRow("lf") << "\n";
    QTest::newRow("cr") << "\r";
}

void TestLanguage::lineEnds()
{
    QFETCH(QString, separator);
    TextTable table;
    Set_Default_Lang(table);
    applyLanguageText(table, "STR0 = A" + separator + separator + "STR1 = B" + separator + "STR2 = C");
    QCOMPARE(table.text(0), QStringLiteral("A"));
    QCOMPARE(table.text(1), QStringLiteral("B"));
    QCOMPARE(table.text(2), QStringLiteral("C"));
}

void TestLanguage::laterLineWins()
{
    TextTable table;
    Set_Default_Lang(table);
    applyLanguageText(table, QStringLiteral("STR12 = first\nSTR12 = second\n"));
    QCOMPARE(table.text(12), QStringLiteral("second"));
}

void TestLanguage::loadFallsBackToEnglish()
{
    TestWorkspace ws;
    createWorkspaceFolders(ws.state);
    ws.state.Language_Name = QStringLiteral("Klingon");
    QString error;
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QCOMPARE(ws.state.text(0), QStringLiteral("Begin"));

    ws.writeFile(QStringLiteral("LANGUAGE/English.lng"), "STR0 = Start\n");
    ws.state.Language_Name = QStringLiteral("Klingon");
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QCOMPARE(ws.state.text(0), QStringLiteral("Start"));

    // An empty name is a language without a file, like any other.
    ws.state.Language_Name.clear();
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
}

void TestLanguage::switchStartsAgainFromEnglish()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Italiano.lng"), "STR12 = Informazioni\nSTR13 = Opzioni\n");
    ws.writeFile(QStringLiteral("LANGUAGE/Deutsch.lng"), "STR13 = Optionen\n");
    QString error;
    ws.state.Language_Name = QStringLiteral("Italiano");
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.text(12), QStringLiteral("Informazioni"));
    ws.state.Language_Name = QStringLiteral("Deutsch");
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.text(12), QStringLiteral("Information"));
    QCOMPARE(ws.state.text(13), QStringLiteral("Optionen"));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("Deutsch"));
}

void TestLanguage::unreadableFileKeepsBuiltinTexts()
{
    TestWorkspace ws;
    // A folder with a language file's name is no language file: English stays.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("LANGUAGE/Dir.lng"))));
    ws.state.Language_Name = QStringLiteral("Dir");
    QString error;
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));

    TextTable table;
    Set_Default_Lang(table);
    QVERIFY(!Read_Lang_File(table, ws.path(QStringLiteral("LANGUAGE/missing.lng")), &error));
    QVERIFY(error.contains(QStringLiteral("missing.lng")));
    QCOMPARE(table.text(12), QStringLiteral("Information"));
}

void TestLanguage::valuesFillTheirPlaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("filled");
    QTest::newRow("in order") << "%1 of %2" << QStringList{"a", "b"} << "a of b";
    QTest::newRow("a translation turns them round") << "%2 von %1" << QStringList{"a", "b"} << "b von a";
    QTest::newRow("a value that looks like a place stays") << "name %1, %2" << QStringList{"%2", "x"} << "name %2, x";
    QTest::newRow("a lost place is appended") << "checksum" << QStringList{"17"} << "checksum 17";
    QTest::newRow("a place without value stays") << "100%, %3" << QStringList{"a"} << "100%, %3 a";
}

void TestLanguage::valuesFillTheirPlaces()
{
    QFETCH(QString, text);
    QFETCH(QStringList, args);
    QFETCH(QString, filled);
    QCOMPARE(fillText(text, args), filled);
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"

// Files that other people and programs wrote: each case ends in a clear message or the
// documented fall-back, in bounded time, and loses nothing.
#include "app/Settings.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/FileIO.h"
#include "core/XmlLookup.h"
#include "i18n/Language.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "support/Restrictions.h"
#include "support/TestSupport.h"
#include "support/Unreadable.h"
#include "support/UpdateSupport.h"
#include "update/UpdateJob.h"
#include "update/Updater.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

namespace {

QByteArray garbage(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char &c : bytes)
        c = char(random.generate() & 0xFF);
    return bytes;
}

void writeLarge(const QString &path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray chunk(1024 * 1024, 'A');
    for (qint64 written = 0; written < size; written += chunk.size())
        file.write(chunk);
}

QByteArray deepSettings(int depth)
{
    return "<Conf_Settings><lastproj>" + QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth)
           + "</lastproj></Conf_Settings>";
}

QByteArray entityBomb()
{
    QByteArray doc = "<?xml version=\"1.0\"?><!DOCTYPE b [<!ENTITY e0 \"lolololololololololo\">";
    for (int i = 1; i < 10; ++i)
        doc += QStringLiteral("<!ENTITY e%1 \"&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;\">").arg(i).arg(i - 1).toLatin1();
    doc += "]><Conf_Settings><lastproj><projectname>&e9;</projectname></lastproj></Conf_Settings>";
    return doc;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private slots:
    void hugeFilesAreRefusedQuickly_data();
    void hugeFilesAreRefusedQuickly();
    void settingsFromAnyBytes_data();
    void settingsFromAnyBytes();
    void languageFromAnyBytes_data();
    void languageFromAnyBytes();
    void unreadableLanguageFileIsReported();
    void workspaceThatCannotBeCreated();
    void updaterPathWithShellCharacters();
    void failedSaveKeepsTheEarlierFile_data();
    void failedSaveKeepsTheEarlierFile();
    void saveInAFolderThatTakesNoNewFile_data();
    void saveInAFolderThatTakesNoNewFile();
    void inPlaceSaveKilledAnywhereLeavesAFileThatReads_data();
    void inPlaceSaveKilledAnywhereLeavesAFileThatReads();
    void unreadableSettingsAreKeptBeforeTheyAreReplaced_data();
    void unreadableSettingsAreKeptBeforeTheyAreReplaced();
    void writersRefuseTextXmlCannotHold_data();
    void writersRefuseTextXmlCannotHold();
};

void TestBadInput::hugeFilesAreRefusedQuickly_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("settings") << "Zentrel.xml";
    QTest::newRow("language") << "LANGUAGE/English.lng";
}

void TestBadInput::hugeFilesAreRefusedQuickly()
{
    QFETCH(QString, file);
    TestWorkspace ws;
    QDir().mkpath(ws.path(QStringLiteral("LANGUAGE")));
    writeLarge(ws.path(file), 50 * 1024 * 1024);
    QElapsedTimer clock;
    clock.start();
    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY2(ws.messages.shown.first().text.contains(QStringLiteral("too large")), qPrintable(ws.messages.texts().join(u'|')));
    QVERIFY(ws.messages.shown.first().text.contains(QFileInfo(file).fileName()));
    // The windows still have their texts.
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("L_Begin"))->text(), QStringLiteral("Begin"));
    QCOMPARE(QFileInfo(ws.path(file)).size(), qint64(50 * 1024 * 1024));
}

void TestBadInput::settingsFromAnyBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("parses");
    QTest::newRow("binary garbage") << garbage(4096, 1) << false;
    QTest::newRow("invalid utf-8") << QByteArray("<C><lastproj><projectname>\xC3\x28\xFF</projectname></lastproj></C>") << false;
    QTest::newRow("utf-16 without its pair") << QByteArray("\xFF\xFE<\0C\0>\0\x00\xD8", 10) << false;
    QTest::newRow("deep nesting") << deepSettings(100000) << false;
    QTest::newRow("entity bomb") << entityBomb() << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestBadInput::settingsFromAnyBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, parses);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"), bytes);
    QElapsedTimer clock;
    clock.start();
    QString error;
    const bool ok = readSettings(ws.state, &error);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(ok, parses);
    if (!ok)
        QVERIFY(error.contains(QStringLiteral("Zentrel.xml")));
    QCOMPARE(ws.state.Project_Name, QString());
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("192.168.2.205"));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
}

void TestBadInput::languageFromAnyBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("binary garbage") << garbage(65536, 2);
    QTest::newRow("invalid utf-8") << QByteArray("\xEF\xBB\xBFSTR12 = a\xC3\x28\xFF\xFE b\nSTR13 = ok\n");
    QTest::newRow("odd utf-16") << QByteArray("\xFF\xFES\0T\0R\0" "1\0" "3\0=\0x\0\x00\xDC\x41", 19);
    QTest::newRow("no line ends") << QByteArray(100000, 'S');
    QTest::newRow("nul bytes") << QByteArray("STR13 = a\0b\nSTR13 = ok\n", 22);
}

void TestBadInput::languageFromAnyBytes()
{
    QFETCH(QByteArray, bytes);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Bad.lng"), bytes);
    ws.state.Language_Name = QStringLiteral("Bad");
    QString error;
    QVERIFY(Load_Language(ws.state, &error));
    QCOMPARE(ws.state.Text_Table.entries.size(), 800);
    QCOMPARE(ws.state.text(0), QStringLiteral("Begin")); // no line of these sets entry 0
}

void TestBadInput::unreadableLanguageFileIsReported()
{
    TestWorkspace ws;
    QDir().mkpath(ws.path(QStringLiteral("LANGUAGE")));
    const UnreadableFile broken(ws.path(QStringLiteral("LANGUAGE/Broken.lng")));
    if (!broken.missing().isEmpty())
        QSKIP(qPrintable(broken.missing()));
    ws.state.Language_Name = QStringLiteral("Broken");
    QString error;
    QVERIFY(!Load_Language(ws.state, &error));
    QVERIFY2(error.contains(QStringLiteral("Broken.lng")), qPrintable(error));
    QCOMPARE(ws.state.text(12), QStringLiteral("Information"));
}

void TestBadInput::workspaceThatCannotBeCreated()
{
    // The workspace lies under a file: no folder can be made and the settings cannot be saved.
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("plain-file"), "x");
    ws.state.Dir_Exe = ws.path(QStringLiteral("plain-file/workspace"));
    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(ws.messages.shown.isEmpty());
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("L_Begin"))->text(), QStringLiteral("Begin"));
    main->show();
    main->close();
    QVERIFY(!main->isVisible());
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY(ws.messages.shown.first().text.contains(QStringLiteral("Zentrel.xml")));
    QCOMPARE(ws.readFile(QStringLiteral("plain-file")), QByteArray("x"));
}

void TestBadInput::updaterPathWithShellCharacters()
{
    // A workspace whose path a shell would split and expand: the updater still starts, once,
    // with no arguments, and nothing in the path runs. (A backslash separates names on Windows.)
    TestWorkspace ws;
    QString name = QStringLiteral("plant A; touch INJECTED & $(touch INJECTED2) 'q' %OS% ^");
    if (QDir::separator() != u'\\')
        name += u'\\';
    const QString folder = ws.path(name);
    QVERIFY(QDir().mkpath(folder));
    writeUpdater(folder, 0);

    ProgramLauncher launcher;
    const ProgramLauncher::Result result = launcher.run(updaterProgramPath(folder), QString(), kPatienceMs);
    QCOMPARE(result.outcome, ProgramLauncher::Outcome::Ended);
    const QStringList starts = updaterStarts(folder);
    QCOMPARE(starts.size(), 1);
    QVERIFY(starts.first().endsWith(QStringLiteral(" 0")));
    for (const QString &where : {ws.dir.path(), folder, QDir::currentPath()}) {
        QVERIFY(!QFileInfo::exists(joinPath(where, QStringLiteral("INJECTED"))));
        QVERIFY(!QFileInfo::exists(joinPath(where, QStringLiteral("INJECTED2"))));
    }
}

using Writer = std::function<bool(TestWorkspace &, int generation, QString *error)>;
Q_DECLARE_METATYPE(Writer)

namespace {
// The four files the program writes, each by its own writer; `generation` changes the content.
void addWriterRows()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Writer>("write");
    QTest::newRow("settings") << "Zentrel.xml" << Writer([](TestWorkspace &ws, int generation, QString *error) {
        setSettingsFallbacks(ws.state);
        ws.state.Project_Name = QStringLiteral("Plant %1").arg(generation);
        return Save_Setting(ws.state, error);
    });
    QTest::newRow("parameter file") << "PROJECTS/P/ParGen.xml" << Writer([](TestWorkspace &ws, int generation, QString *error) {
        ParameterValues values = defaultParameterValues();
        values[Param::ModbusSlave_ID_Device] = QString::number(generation);
        return saveParameterFile(ws.path(QStringLiteral("PROJECTS/P/ParGen.xml")), values, error);
    });
    QTest::newRow("image") << "PROJECTS/P/bin/bank.bin" << Writer([](TestWorkspace &ws, int generation, QString *error) {
        ws.state.Project_Dir = ws.path(QStringLiteral("PROJECTS/P"));
        Set_Files(ws.state);
        ws.writeFile(QStringLiteral("PROJECTS/P/ParGen.xml"),
                     QStringLiteral("<Par_Gen><ModbusSlave_ID_Device>%1</ModbusSlave_ID_Device></Par_Gen>").arg(generation).toUtf8());
        return Compose_Image(ws.state, error) && Save_Image(ws.state, error);
    });
    QTest::newRow("update job") << "Ethernet_Update.xml" << Writer([](TestWorkspace &ws, int generation, QString *error) {
        UpdateJob job;
        job.addressParts = QStringList{"127", "0", "0", QString::number(generation)};
        job.dirMaster = ws.state.Dir_Master;
        job.projectDir = ws.path(QStringLiteral("PROJECTS/P"));
        return writeUpdateJob(ws.dir.path(), job, error);
    });
}

// Writes generation 1 where the writer expects its folders, and gives back the file's bytes
// (empty when the write failed).
QByteArray firstGeneration(TestWorkspace &ws, const Writer &write, const QString &file)
{
    QString error;
    if (!QDir().mkpath(ws.path(QStringLiteral("PROJECTS/P/bin"))) || !write(ws, 1, &error))
        return QByteArray();
    return ws.readFile(file);
}

// Writes with files limited to `limit` bytes, so the write stops part-way as on a full disk.
bool writeWithSizeLimit(const Writer &write, TestWorkspace &ws, int generation, qint64 limit, QString *error)
{
    bool saved = false;
    withFileSizeLimit(limit, [&] { saved = write(ws, generation, error); });
    return saved;
}
} // namespace

void TestBadInput::failedSaveKeepsTheEarlierFile_data()
{
    addWriterRows();
}

void TestBadInput::failedSaveKeepsTheEarlierFile()
{
    QFETCH(QString, file);
    QFETCH(Writer, write);
    if (!fileSizeLimitMissing().isEmpty())
        QSKIP(qPrintable(fileSizeLimitMissing()));
    TestWorkspace ws;
    QString error;
    const QByteArray earlier = firstGeneration(ws, write, file);
    QVERIFY(!earlier.isEmpty());
    QVERIFY(earlier.size() > 100);
    const QString folder = QFileInfo(ws.path(file)).absolutePath();
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    error.clear();
    const bool saved = writeWithSizeLimit(write, ws, 2, 100, &error);

    QVERIFY(!saved);
    QVERIFY2(error.contains(QFileInfo(file).fileName()), qPrintable(error));
    QCOMPARE(ws.readFile(file), earlier);
    // Nothing but what was there before: no temporary file left behind.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), entries);
}

void TestBadInput::saveInAFolderThatTakesNoNewFile_data()
{
    addWriterRows();
}

// An editor replaces a file it may write even where it cannot make a new one; when that fails
// part-way, the earlier content goes back, and a file it may not write stays as it was.
void TestBadInput::saveInAFolderThatTakesNoNewFile()
{
    QFETCH(QString, file);
    QFETCH(Writer, write);
    TestWorkspace ws;
    QString error;
    const QByteArray earlier = firstGeneration(ws, write, file);
    QVERIFY(!earlier.isEmpty());
    const QString folder = QFileInfo(ws.path(file)).absolutePath();
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    bool replaced = false;
    QByteArray second;
    bool longerWritten = true;
    QByteArray afterCutShort;
    bool readOnlyFailed = false;
    QString readOnlyError;
    {
        FolderTakingNoNewFile guard(ws.dir.path(), folder);
        if (!guard.missing().isEmpty())
            QSKIP(qPrintable(guard.missing()));
        replaced = write(ws, 2, &error);
        second = ws.readFile(file);

        // A longer content is cut short (the image keeps its size and fits).
        longerWritten = writeWithSizeLimit(write, ws, 1000000, second.size() + 2, &error);
        afterCutShort = ws.readFile(file);

        QFile::setPermissions(ws.path(file), QFile::ReadOwner);
        readOnlyFailed = !write(ws, 3, &readOnlyError);
        QFile::setPermissions(ws.path(file), QFile::ReadOwner | QFile::WriteOwner);
    }
    QVERIFY2(replaced, qPrintable(error));
    if (file.endsWith(u".bin")) {
        QVERIFY(longerWritten);
    } else {
        QVERIFY(!longerWritten);
        QVERIFY2(error.contains(QFileInfo(file).fileName()), qPrintable(error));
        QCOMPARE(afterCutShort, second); // the earlier content is back
    }
    QVERIFY(readOnlyFailed);
    QVERIFY2(readOnlyError.contains(QFileInfo(file).fileName()), qPrintable(readOnlyError));
    QCOMPARE(ws.readFile(file), afterCutShort);
    // Nothing new in the folder, and generation 2 was written as a normal save writes it.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), entries);
    QVERIFY(second != earlier || file.endsWith(u".bin"));
    QVERIFY2(write(ws, 2, &error), qPrintable(error));
    QCOMPARE(second, ws.readFile(file));
}

void TestBadInput::inPlaceSaveKilledAnywhereLeavesAFileThatReads_data()
{
    QTest::addColumn<QString>("call"); // the system call of the save that the signal comes at
    QTest::addColumn<bool>("newValues");
    QTest::newRow("at the write") << "write" << false;
    QTest::newRow("between the write and the cut") << "ftruncate" << true;
}

// The real tool saves a shorter file in place, as an ordinary user in a folder that takes no new
// file, and a real SIGKILL stops it at one system call of that save (strace delivers it there).
// The file still reads, with the earlier values or the new ones, and nothing else is left.
void TestBadInput::inPlaceSaveKilledAnywhereLeavesAFileThatReads()
{
    QFETCH(QString, call);
    QFETCH(bool, newValues);
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        QSKIP("strace is not installed");
    TestWorkspace ws;
    ws.useProject(QStringLiteral("P"));
    const QString longText(300, u'9');
    ws.saveParameters({{Param::Serial_TimeOut_RX, longText}});
    const QString folder = ws.state.Project_Dir;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    QStringList arguments{"-f", "-qq", "-o", "/dev/null", "-P", ws.state.ParGen_File, "-e", "trace=" + call,
                          "-e", "inject=" + call + ":signal=KILL"};
    // Root writes anywhere: the tool runs as an ordinary user, who owns the workspace.
    QString missing;
    const QString user = ordinaryUser(ws.dir.path(), &missing);
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (!user.isEmpty())
        arguments << QStringLiteral("-u") << user;
    arguments << QStringLiteral(KV_TOOL_PATH) << QStringLiteral("--workspace") << ws.dir.path() << QStringLiteral("set")
              << QStringLiteral("P") << QStringLiteral("Serial_TimeOut_RX=1");
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    QProcess traced;
    traced.start(strace, arguments);
    const bool ended = traced.waitForFinished(60000);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString output = QString::fromLocal8Bit(traced.readAllStandardOutput() + traced.readAllStandardError());
    QVERIFY2(ended, qPrintable(output));
    if (traced.exitStatus() == QProcess::NormalExit && output.contains(QStringLiteral("strace:")))
        QSKIP(qPrintable(QStringLiteral("strace cannot trace here: ") + output));
    QVERIFY2(traced.exitStatus() == QProcess::CrashExit, qPrintable(QStringLiteral("the save was not stopped; ") + output));

    ParameterValues values;
    QString error;
    QVERIFY2(loadParameterFile(ws.state.ParGen_File, &values, &error), qPrintable(error));
    QCOMPARE(values[Param::Serial_TimeOut_RX], newValues ? QStringLiteral("1") : longText);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), entries);
}

void TestBadInput::unreadableSettingsAreKeptBeforeTheyAreReplaced_data()
{
    QTest::addColumn<bool>("copyPossible");
    QTest::newRow("kept") << true;
    QTest::newRow("no copy can be made") << false;
}

// Settings that do not read are reported at start with what saving will do; at exit they are
// replaced only once their bytes are kept beside them, or else left as they are.
void TestBadInput::unreadableSettingsAreKeptBeforeTheyAreReplaced()
{
    QFETCH(bool, copyPossible);
    TestWorkspace ws;
    const QByteArray broken = "<Conf_Settings><lastproj>";
    ws.writeFile(QStringLiteral("Zentrel.xml"), broken);
    if (!copyPossible)
        QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Zentrel.xml.unreadable"))));
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(ws.messages.shown.size(), 1);
    QVERIFY2(ws.messages.texts().first().contains(QStringLiteral("kept as Zentrel.xml.unreadable")),
             qPrintable(ws.messages.texts().first()));

    main->show();
    main->close();
    if (copyPossible) {
        QCOMPARE(ws.messages.shown.size(), 1);
        QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml.unreadable")), broken);
        QString error;
        QVERIFY2(readSettings(ws.state, &error), qPrintable(error));
    } else {
        QCOMPARE(ws.messages.shown.size(), 2);
        QVERIFY2(ws.messages.texts().last().contains(QStringLiteral("no copy of it could be kept")),
                 qPrintable(ws.messages.texts().last()));
        QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml")), broken);
    }
}

using TextWriter = std::function<bool(TestWorkspace &, const QString &text, QString *error)>;
Q_DECLARE_METATYPE(TextWriter)

void TestBadInput::writersRefuseTextXmlCannotHold_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TextWriter>("write");
    QTest::addColumn<QString>("text");
    const TextWriter settings = [](TestWorkspace &ws, const QString &text, QString *error) {
        setSettingsFallbacks(ws.state);
        ws.state.Project_Name = text;
        return Save_Setting(ws.state, error);
    };
    const TextWriter parameters = [](TestWorkspace &ws, const QString &text, QString *error) {
        ParameterValues values = defaultParameterValues();
        values[Param::Serial_TimeOut_RX] = text;
        return saveParameterFile(ws.path(QStringLiteral("ParGen.xml")), values, error);
    };
    const TextWriter job = [](TestWorkspace &ws, const QString &text, QString *error) {
        UpdateJob job;
        job.addressParts = QStringList{"127", "0", "0", "1"};
        job.dirMaster = ws.state.Dir_Master;
        job.projectDir = ws.path(text);
        return writeUpdateJob(ws.dir.path(), job, error);
    };
    QTest::newRow("settings, a control character") << "Zentrel.xml" << settings << "Plant\u0001";
    QTest::newRow("settings, U+FFFE") << "Zentrel.xml" << settings << "Plant\uFFFE";
    QTest::newRow("parameter file, U+FFFF") << "ParGen.xml" << parameters << "12\uFFFF";
    QTest::newRow("parameter file, a lone surrogate") << "ParGen.xml" << parameters << (QStringLiteral("12") + QChar(0xDC00));
    QTest::newRow("parameter file, NUL") << "ParGen.xml" << parameters << QString(QChar(0));
    QTest::newRow("update job, escape") << "Ethernet_Update.xml" << job << "Plant\u001B";
}

// The last guard: a text no XML reader would take back never reaches a file.
void TestBadInput::writersRefuseTextXmlCannotHold()
{
    QFETCH(QString, file);
    QFETCH(TextWriter, write);
    QFETCH(QString, text);
    TestWorkspace ws;
    QString error;
    QVERIFY2(write(ws, QStringLiteral("Plant\tA\r\n \U0001F527"), &error), qPrintable(error));
    const QByteArray earlier = ws.readFile(file);
    QDomDocument doc;
    QVERIFY2(parseXml(earlier, file, &doc, &error), qPrintable(error)); // tab, CR, LF and pairs are fine

    QVERIFY(!write(ws, text, &error));
    QVERIFY2(error.contains(file) && error.contains(QStringLiteral("cannot hold")), qPrintable(error));
    QCOMPARE(ws.readFile(file), earlier);
}

QTEST_MAIN(TestBadInput)
#include "test_bad_input.moc"

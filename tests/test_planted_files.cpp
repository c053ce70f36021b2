// Links and special files that someone else put into the workspace: nothing is written where a
// link points, nothing waits on a FIFO, and a save hands the file back to whom it belonged.
#include "app/Settings.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/FileIO.h"
#include "core/Workspace.h"
#include "i18n/USoftOptions.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "projects/Configurations.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"
#include "update/UpdateJob.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Writes one of the program's files in `ws`, with P as the active configuration; false with the
// error when refused.
using Writer = std::function<bool(TestWorkspace &ws, QString *error)>;

// The real tool; an argument "plan.csv" is that file of the workspace.
QStringList inWorkspace(const TestWorkspace &ws, QStringList arguments)
{
    for (QString &argument : arguments) {
        if (argument == u"plan.csv")
            argument = ws.path(argument);
    }
    return QStringList{"--workspace", ws.dir.path()} + arguments;
}

Writer toolRun(const QStringList &arguments)
{
    return [arguments](TestWorkspace &ws, QString *error) {
        const Run run = tool(inWorkspace(ws, arguments));
        *error = run.err;
        return run.code == 0;
    };
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

Q_DECLARE_METATYPE(Writer)

class TestPlantedFiles : public QObject {
    Q_OBJECT

private slots:
    void noWriterFollowsALink_data();
    void noWriterFollowsALink();
    void shippedLanguagesLeaveALinkAlone();
    void configurationFolderLeadingOutIsNoConfiguration();
    void specialFilesAreRefusedAtOnce_data();
    void specialFilesAreRefusedAtOnce();
    void specialFilesAtStartAndInTheOptions();
    void outputIntoAPipeOrStandardOutput_data();
    void outputIntoAPipeOrStandardOutput();
    void saveKeepsOwnerAndMode_data();
    void saveKeepsOwnerAndMode();
};

void TestPlantedFiles::noWriterFollowsALink_data()
{
    QTest::addColumn<QString>("file"); // where the link stands, in the workspace
    QTest::addColumn<Writer>("write");
    QTest::newRow("settings") << "Zentrel.xml" << Writer([](TestWorkspace &ws, QString *error) {
        return Save_Setting(ws.state, error);
    });
    QTest::newRow("parameter file, the editor's save") << "PROJECTS/P/ParGen.xml" << Writer([](TestWorkspace &ws, QString *error) {
        return saveParameterFile(ws.state.ParGen_File, defaultParameterValues(), error);
    });
    QTest::newRow("parameter file, set") << "PROJECTS/P/ParGen.xml" << toolRun({"set", "P", "ModbusSlave_ID_Device=5"});
    QTest::newRow("image, Update Device") << "PROJECTS/P/bin/bank.bin" << Writer([](TestWorkspace &ws, QString *error) {
        return Compose_Image(ws.state, error) && Save_Image(ws.state, error);
    });
    QTest::newRow("image, image") << "PROJECTS/P/bin/bank.bin" << toolRun({"image", "P"});
    QTest::newRow("image folder, image") << "PROJECTS/P/bin" << toolRun({"image", "P"});
    QTest::newRow("image folder, batch") << "PROJECTS/P/bin" << toolRun({"batch", "plan.csv"});
    QTest::newRow("update job, job") << "Ethernet_Update.xml" << toolRun({"job", "P", "--ip", "127.0.0.1", "--option", "1"});
}

// The link is left as it stands and what it points at stays untouched, whether it exists or not.
void TestPlantedFiles::noWriterFollowsALink()
{
    QFETCH(QString, file);
    QFETCH(Writer, write);
    for (const bool dangling : {true, false}) {
        TestWorkspace ws;
        ws.useProject(QStringLiteral("P"));
        ws.writeFile(QStringLiteral("plan.csv"), "Name,ModbusSlave_ID_Device\nP,7\n");
        const QString outside = ws.path(QStringLiteral("outside/") + QFileInfo(file).fileName());
        if (QFileInfo(file).fileName() == u"bin") {
            QVERIFY(QDir().rmdir(ws.path(file)));
            if (!dangling)
                QVERIFY(QDir().mkpath(outside));
        } else if (!dangling) {
            ws.writeFile(QStringLiteral("outside/") + QFileInfo(file).fileName(), "someone else's");
        }
        QDir().mkpath(ws.path(QStringLiteral("outside")));
        QVERIFY(QFile::link(outside, ws.path(file)));

        QString error;
        QVERIFY2(!write(ws, &error), dangling ? "dangling" : "to a file");
        QVERIFY2(!error.isEmpty(), qPrintable(file));
        if (dangling)
            QVERIFY2(error.contains(QStringLiteral("symbolic link")), qPrintable(error));
        QCOMPARE(QFileInfo(ws.path(file)).symLinkTarget(), outside);
        if (dangling)
            QVERIFY(!QFileInfo::exists(outside));
        else if (QFileInfo(outside).isDir())
            QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        else
            QCOMPARE(ws.readFile(QStringLiteral("outside/") + QFileInfo(file).fileName()), QByteArray("someone else's"));
    }
}

void TestPlantedFiles::shippedLanguagesLeaveALinkAlone()
{
    TestWorkspace ws;
    QDir().mkpath(ws.path(QStringLiteral("LANGUAGE")));
    const QString outside = ws.path(QStringLiteral("outside/Deutsch.lng"));
    QVERIFY(QFile::link(outside, ws.path(QStringLiteral("LANGUAGE/Deutsch.lng"))));
    QString error;
    QVERIFY2(copyShippedLanguages(QStringLiteral(KV_LANGUAGES), ws.state.Dir_Language, &error), qPrintable(error));
    QVERIFY(!QFileInfo::exists(outside));
    QVERIFY(QFileInfo(ws.path(QStringLiteral("LANGUAGE/Deutsch.lng"))).isSymLink());
    QVERIFY(QFileInfo(ws.path(QStringLiteral("LANGUAGE/Italiano.lng"))).isFile()); // the others still come
}

// A configuration folder that is a link out of PROJECTS is neither offered nor touched; one that
// stays inside is an ordinary configuration.
void TestPlantedFiles::configurationFolderLeadingOutIsNoConfiguration()
{
    TestWorkspace ws;
    ws.useProject(QStringLiteral("Inside"));
    ws.saveParameters({});
    ws.writeFile(QStringLiteral("outside/Out/ParGen.xml"), parameterFileBytes(defaultParameterValues()));
    const QByteArray outsideBefore = ws.readFile(QStringLiteral("outside/Out/ParGen.xml"));
    QVERIFY(QFile::link(ws.path(QStringLiteral("outside/Out")), ws.path(QStringLiteral("PROJECTS/Out"))));
    QVERIFY(QFile::link(ws.path(QStringLiteral("PROJECTS/Inside")), ws.path(QStringLiteral("PROJECTS/Alias"))));
    const QStringList workspace{"--workspace", ws.dir.path()};

    QCOMPARE(Load_Existing_Configuration(ws.state.Dir_Projects), (QStringList{"Alias", "Inside"}));
    QCOMPARE(tool(workspace + QStringList{"list"}).out, QByteArray("Alias\nInside\n"));
    const Run exported = tool(workspace + QStringList{"export"});
    QCOMPARE(exported.code, 0);
    QVERIFY2(exported.out.contains("\nInside") && !exported.out.contains("\nOut"), exported.out.constData());
    for (const QStringList &command : {QStringList{"set", "Out", "ModbusSlave_ID_Device=9"}, QStringList{"export", "Out"},
                                       QStringList{"image", "Out"}}) {
        const Run run = tool(workspace + command);
        QVERIFY2(run.code != 0, qPrintable(command.join(u' ')));
    }
    ws.writeFile(QStringLiteral("plan.csv"), "Name,ModbusSlave_ID_Device\nOut,9\n");
    QCOMPARE(tool(workspace + QStringList{"batch", ws.path(QStringLiteral("plan.csv"))}).code, 1);
    QCOMPARE(ws.readFile(QStringLiteral("outside/Out/ParGen.xml")), outsideBefore);
    QCOMPARE(QDir(ws.path(QStringLiteral("outside/Out"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"ParGen.xml"});

    // Named by the settings, it is not made active either.
    ws.state.Project_Name = QStringLiteral("Out");
    QString error;
    QVERIFY(Save_Setting(ws.state, &error));
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(ws.state.Project_Dir, QString());
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Out"));
}

void TestPlantedFiles::specialFilesAreRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind"); // "fifo", or a device a link leads to
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("refused"); // else only warned of
    const QString parGen = QStringLiteral("PROJECTS/P/ParGen.xml");
    for (const QString kind : {"fifo", "/dev/zero"}) {
        const QByteArray k = kind.toLatin1();
        QTest::addRow("%s: export", k.data()) << kind << QStringList{"export"} << parGen << true;
        QTest::addRow("%s: show", k.data()) << kind << QStringList{"show", "P"} << parGen << true;
        QTest::addRow("%s: image", k.data()) << kind << QStringList{"image", "P"} << parGen << true;
        QTest::addRow("%s: batch of another one", k.data()) << kind << QStringList{"batch", "plan.csv"} << parGen << false;
        QTest::addRow("%s: the plan", k.data()) << kind << QStringList{"batch", "plan.csv"} << "plan.csv" << true;
        QTest::addRow("%s: image written", k.data()) << kind << QStringList{"image", "Q"} << "PROJECTS/Q/bin/bank.bin" << true;
    }
}

// Read or written, a FIFO or a device where the program expects its file is refused at once
// with a message naming it, and stays what it is.
void TestPlantedFiles::specialFilesAreRefusedAtOnce()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, command);
    QFETCH(QString, file);
    QFETCH(bool, refused);
    TestWorkspace ws;
    ws.useProject(QStringLiteral("Q"));
    ws.saveParameters({});
    ws.useProject(QStringLiteral("P"));
    if (file != u"plan.csv")
        ws.writeFile(QStringLiteral("plan.csv"), "Name,ModbusSlave_ID_Device\nQ,7\n");
    QFile::remove(ws.path(file));
    QVERIFY(kind == u"fifo" ? makeFifo(ws.path(file)) : QFile::link(kind, ws.path(file)));

    QElapsedTimer clock;
    clock.start();
    const Run run = tool(inWorkspace(ws, command));
    QVERIFY2(clock.elapsed() < 30000, "waited on the special file");
    QVERIFY2((run.code != 0) == refused, run.out.constData());
    // Written, a link is refused as a link before anything else.
    const QString refusal = file.endsWith(u".bin") && kind != u"fifo" ? QStringLiteral("is a symbolic link")
                                                                       : QStringLiteral("is not a regular file");
    QVERIFY2(run.err.contains(QFileInfo(file).fileName()) && run.err.contains(refusal), qPrintable(run.err));
    if (kind == u"fifo")
        QVERIFY(S_ISFIFO(statOf(ws.path(file)).st_mode));
    else
        QCOMPARE(QFileInfo(ws.path(file)).symLinkTarget(), kind);
}

void TestPlantedFiles::specialFilesAtStartAndInTheOptions()
{
    // A FIFO for the settings file: the program starts, says so, and does not replace it at exit.
    TestWorkspace ws;
    QVERIFY(makeFifo(ws.path(QStringLiteral("Zentrel.xml"))));
    QDir().mkpath(ws.path(QStringLiteral("LANGUAGE")));
    QVERIFY(makeFifo(ws.path(QStringLiteral("LANGUAGE/English.bmp"))));
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(ws.messages.shown.size(), 1);
    QVERIFY2(ws.messages.shown.first().text.contains(QStringLiteral("Zentrel.xml: is not a regular file")),
             qPrintable(ws.messages.texts().join(u'|')));
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("L_Begin"))->text(), QStringLiteral("Begin"));

    // A FIFO for a flag: the options window shows the language without its flag.
    ws.writeFile(QStringLiteral("LANGUAGE/English.lng"), "STR0 = Begin\n");
    auto *options = main->findChild<TFSoftOptions *>();
    QVERIFY(options);
    options->show();
    QCOMPARE(options->findChild<QLabel *>(QStringLiteral("L_L1"))->text(), QStringLiteral("English"));
    QVERIFY(options->findChild<QLabel *>(QStringLiteral("I_L1"))->isHidden());
    options->hide();

    main->close();
    QVERIFY(S_ISFIFO(statOf(ws.path(QStringLiteral("Zentrel.xml"))).st_mode));
    QVERIFY2(ws.messages.texts().last().contains(QStringLiteral("not written")), qPrintable(ws.messages.texts().join(u'|')));
}

void TestPlantedFiles::outputIntoAPipeOrStandardOutput_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::newRow("export") << QStringList{"export", "P"};
    QTest::newRow("report") << QStringList{"report", "P"};
    QTest::newRow("image") << QStringList{"image", "P"};
}

// --output writes into a pipe as a shell redirection would; "-" and /dev/stdout are standard output.
void TestPlantedFiles::outputIntoAPipeOrStandardOutput()
{
    QFETCH(QStringList, command);
    TestWorkspace ws;
    ws.useProject(QStringLiteral("P"));
    ws.saveParameters({{Param::ModbusSlave_ID_Device, QStringLiteral("42")}});
    const QStringList base = QStringList{"--workspace", ws.dir.path()} + command;
    const Run toFile = tool(base + QStringList{"--output", ws.path(QStringLiteral("result"))});
    QCOMPARE(toFile.code, 0);
    const QByteArray expected = ws.readFile(QStringLiteral("result"));
    QVERIFY(!expected.isEmpty());

    for (const QString output : {"-", "/dev/stdout"}) {
        const Run run = tool(base + QStringList{"--output", output});
        QCOMPARE(run.code, 0);
        if (!command.contains(u"report")) // the sheet carries the time it was made
            QCOMPARE(run.out, expected);
        QVERIFY(!QFileInfo::exists(ws.path(output)));
    }

    const QString fifo = ws.path(QStringLiteral("pipe"));
    QVERIFY(makeFifo(fifo));
    QByteArray received;
    QThread *reader = QThread::create([&] {
        QFile pipe(fifo);
        if (pipe.open(QIODevice::ReadOnly))
            received = pipe.readAll();
    });
    reader->start();
    const Run run = tool(base + QStringList{"--output", fifo});
    QVERIFY(reader->wait(60000));
    delete reader;
    QCOMPARE(run.code, 0);
    QCOMPARE(received.size(), expected.size());
    QVERIFY(S_ISFIFO(statOf(fifo).st_mode));

    // A device of the workspace's own (as root /dev/null itself would be replaced otherwise).
    const QString device = ws.path(QStringLiteral("null"));
    QFile node(device);
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0 || !node.open(QIODevice::WriteOnly))
        QSKIP("cannot make a device node here (root only, not on a nodev mount)");
    node.close();
    QCOMPARE(tool(base + QStringList{"--output", device}).code, 0);
    QVERIFY(S_ISCHR(statOf(device).st_mode));
}

void TestPlantedFiles::saveKeepsOwnerAndMode_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Writer>("write");
    QTest::addColumn<uint>("mode");
    const Writer settings = [](TestWorkspace &ws, QString *error) { return Save_Setting(ws.state, error); };
    const Writer parameters = toolRun({"set", "P", "ModbusSlave_ID_Device=5"});
    const Writer image = [](TestWorkspace &ws, QString *error) {
        return Compose_Image(ws.state, error) && Save_Image(ws.state, error);
    };
    const Writer job = toolRun({"job", "P", "--ip", "127.0.0.1", "--option", "1"});
    for (const uint mode : {0600u, 0640u}) {
        QTest::addRow("settings %o", mode) << "Zentrel.xml" << settings << mode;
        QTest::addRow("parameter file %o", mode) << "PROJECTS/P/ParGen.xml" << parameters << mode;
        QTest::addRow("image %o", mode) << "PROJECTS/P/bin/bank.bin" << image << mode;
        QTest::addRow("update job %o", mode) << "Ethernet_Update.xml" << job << mode;
    }
}

// Root saving a file that a user owns gives it back to that user, with the mode it had.
void TestPlantedFiles::saveKeepsOwnerAndMode()
{
    QFETCH(QString, file);
    QFETCH(Writer, write);
    QFETCH(uint, mode);
    TestWorkspace ws;
    ws.useProject(QStringLiteral("P"));
    ws.saveParameters({});
    ws.writeFile(file, QFileInfo(file).suffix() == u"bin" ? QByteArray(2048, '\0') : QByteArray("<Earlier/>"));
    const QByteArray path = QFile::encodeName(ws.path(file));
    // A user and group of their own when root; otherwise the ones the test runs as.
    const uid_t user = geteuid() == 0 ? 54321 : geteuid();
    const gid_t group = geteuid() == 0 ? 54322 : getegid();
    QCOMPARE(::chown(path.constData(), user, group), 0);
    QCOMPARE(::chmod(path.constData(), mode), 0);

    QString error;
    QVERIFY2(write(ws, &error), qPrintable(error));
    QVERIFY(ws.readFile(file) != "<Earlier/>");
    const struct stat st = statOf(ws.path(file));
    QCOMPARE(st.st_uid, user);
    QCOMPARE(st.st_gid, group);
    QCOMPARE(uint(st.st_mode & 07777), mode);
}

QTEST_MAIN(TestPlantedFiles)
#include "test_planted_files.moc"

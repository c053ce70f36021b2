#include "core/AppState.h"
#include "core/FileIO.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <optional>

namespace {

const QString kSentinel = QStringLiteral("\x01unset");
const QStringList kTranslations = {QStringLiteral("Italiano"), QStringLiteral("Deutsch"),
                                   QStringLiteral("Français"), QStringLiteral("Español")};

QString shipped(const QString &name)
{
    return joinPath(QStringLiteral(KV_LANGUAGES), name);
}

// A full-size table whose entries no language file sets, so every entry a file sets shows.
TextTable unsetTable()
{
    TextTable table;
    table.entries = QStringList(kTextCount, kSentinel);
    table.Text_Count = kTextCount;
    return table;
}

// Every index a window or message reads.
QList<int> shownIndices()
{
    QList<int> indices;
    for (const auto &[first, last] : {std::pair{0, 24}, {100, 110}, {200, 207}, {300, 321}, {400, 519}, {600, 672}})
        for (int i = first; i <= last; ++i)
            indices << i;
    return indices;
}

bool makeReadOnly(const QString &path)
{
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
}

} // namespace

class TestShippedLanguages : public QObject {
    Q_OBJECT

private slots:
    void englishFileIsTheBuiltinTable();
    void translation_data();
    void translation();
    void flag_data();
    void flag();
    void copyFillsOnlyWhatIsMissing();
    void copyWithoutShippedFolderDoesNothing();
    void perUserFolder();
    void workspace_data();
    void workspace();
};

void TestShippedLanguages::englishFileIsTheBuiltinTable()
{
    QByteArray bytes;
    QString error;
    QVERIFY2(readWholeFile(shipped(QStringLiteral("English.lng")), &bytes, &error), qPrintable(error));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));

    TextTable builtin;
    Set_Default_Lang(builtin);
    TextTable read = unsetTable();
    QVERIFY(Read_Lang_File(read, shipped(QStringLiteral("English.lng")), &error));
    for (int i = 0; i < kTextCount; ++i)
        QVERIFY2(read.text(i) == builtin.text(i),
                 qPrintable(QStringLiteral("STR%1 is \"%2\", built in \"%3\"; run scripts/make-english-lng.sh")
                                .arg(i)
                                .arg(read.text(i), builtin.text(i))));
}

void TestShippedLanguages::translation_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &language : kTranslations)
        QTest::newRow(qPrintable(language)) << language;
}

void TestShippedLanguages::translation()
{
    QFETCH(QString, language);
    const QString path = shipped(language + QStringLiteral(".lng"));
    QByteArray bytes;
    QString error;
    QVERIFY2(readWholeFile(path, &bytes, &error), qPrintable(error));
    QVERIFY2(bytes.startsWith("\xEF\xBB\xBF"), "UTF-8 with a byte-order mark");

    // Every text line names an index inside the table, written so that the reader takes it.
    static const QRegularExpression textLine(QStringLiteral("^STR(\\d+) = \\S"));
    const QStringList lines = decodeLanguageFile(bytes).split(u'\n');
    for (const QString &line : lines) {
        if (!line.startsWith(u"STR"))
            continue;
        const auto match = textLine.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QVERIFY2(match.captured(1).toInt() < kTextCount, qPrintable(line));
    }

    TextTable builtin;
    Set_Default_Lang(builtin);
    TextTable read = unsetTable();
    QVERIFY(Read_Lang_File(read, path, &error));
    for (int i : shownIndices()) {
        const QString text = read.text(i);
        QVERIFY2(text != kSentinel && !text.trimmed().isEmpty(), qPrintable(QStringLiteral("STR%1 missing").arg(i)));
        // Texts that stand next to names, numbers or frame borders keep their blanks.
        const QString english = builtin.text(i);
        QVERIFY2(english.startsWith(u' ') == text.startsWith(u' ') || !english.startsWith(u' '),
                 qPrintable(QStringLiteral("STR%1 lost its leading blank: \"%2\"").arg(i).arg(text)));
        QVERIFY2(english.endsWith(u' ') == text.endsWith(u' ') || !english.endsWith(u' '),
                 qPrintable(QStringLiteral("STR%1 lost its trailing blank: \"%2\"").arg(i).arg(text)));
        // Each %1, %2 ... of a text that takes values stands once in its translation.
        static const QRegularExpression place(QStringLiteral("%\\d"));
        for (const QRegularExpressionMatch &m : place.globalMatch(english))
            QVERIFY2(text.count(m.captured()) == 1,
                     qPrintable(QStringLiteral("STR%1 must hold %2 once: \"%3\"").arg(i).arg(m.captured(), text)));
    }
}

void TestShippedLanguages::flag_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &language : kTranslations)
        QTest::newRow(qPrintable(language)) << language;
    QTest::newRow("English") << QStringLiteral("English");
    QTest::newRow("DefaultFlag") << QStringLiteral("DefaultFlag");
}

void TestShippedLanguages::flag()
{
    QFETCH(QString, name);
    const QImage image(shipped(name + QStringLiteral(".bmp")), "BMP");
    QVERIFY2(!image.isNull(), qPrintable(name));
    QVERIFY(image.width() <= 48 && image.height() <= 48);

    // The bottom-left pixel is the transparent colour: it frames the flag, and the flag's
    // middle is drawn.
    const QRgb key = image.pixel(0, image.height() - 1);
    QCOMPARE(image.pixel(0, 0), key);
    QCOMPARE(image.pixel(image.width() - 1, 0), key);
    QVERIFY(image.pixel(image.width() / 2, image.height() / 2) != key);
}

void TestShippedLanguages::copyFillsOnlyWhatIsMissing()
{
    QTemporaryDir shippedDir;
    TestWorkspace ws;
    const QString languageDir = ws.path(QStringLiteral("LANGUAGE"));
    for (const QString &name : {QStringLiteral("Italiano.lng"), QStringLiteral("Italiano.bmp"),
                                QStringLiteral("English.lng")}) {
        QFile file(joinPath(shippedDir.path(), name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("shipped " + name.toUtf8());
        file.close();
        QVERIFY(makeReadOnly(file.fileName())); // as in an installed copy
    }

    // The first start creates LANGUAGE and copies everything.
    QString error;
    QVERIFY2(copyShippedLanguages(shippedDir.path(), languageDir, &error), qPrintable(error));
    QCOMPARE(QDir(languageDir).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("English.lng"), QStringLiteral("Italiano.bmp"), QStringLiteral("Italiano.lng")}));
    QCOMPARE(ws.readFile(QStringLiteral("LANGUAGE/Italiano.lng")), QByteArray("shipped Italiano.lng"));
    // The options window lists only files the user may write.
    QVERIFY(QFile::permissions(joinPath(languageDir, QStringLiteral("English.lng"))).testFlag(QFile::WriteOwner));

    // A later start keeps the user's edited file and brings back only what is gone.
    ws.writeFile(QStringLiteral("LANGUAGE/Italiano.lng"), "STR0 = edited");
    QVERIFY(QFile::remove(joinPath(languageDir, QStringLiteral("English.lng"))));
    QVERIFY2(copyShippedLanguages(shippedDir.path(), languageDir, &error), qPrintable(error));
    QCOMPARE(ws.readFile(QStringLiteral("LANGUAGE/Italiano.lng")), QByteArray("STR0 = edited"));
    QCOMPARE(ws.readFile(QStringLiteral("LANGUAGE/English.lng")), QByteArray("shipped English.lng"));
}

void TestShippedLanguages::copyWithoutShippedFolderDoesNothing()
{
    TestWorkspace ws;
    const QString languageDir = ws.path(QStringLiteral("LANGUAGE"));
    QString error;
    QVERIFY(copyShippedLanguages(ws.path(QStringLiteral("nowhere")), languageDir, &error));
    QVERIFY(!QFileInfo::exists(languageDir));
}

// The per-user folder the README names: %APPDATA%\kv40812 on Windows, the XDG data folder's
// kv40812 elsewhere.
void TestShippedLanguages::perUserFolder()
{
    const QString testName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("kv40812")); // as the programs name themselves
    const QString folder = userDataFolder();
    QCoreApplication::setApplicationName(testName);
    const QString base = QSysInfo::productType() == u"windows"
                             ? qEnvironmentVariable("APPDATA")
                             : qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    QCOMPARE(folder, joinPath(QDir::toNativeSeparators(base), QStringLiteral("kv40812")));
}

void TestShippedLanguages::workspace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("--workspace first") << "option";
    QTest::newRow("--workspace=DIR") << "option=";
    QTest::newRow("then KV40812_WORKSPACE") << "environment";
    QTest::newRow("then a writable executable folder") << "writable";
    QTest::newRow("else the per-user folder: read-only folder") << "read-only";
    QTest::newRow("else the per-user folder: a folder not even root can write") << "proc";
    QTest::newRow("else the per-user folder: no such folder") << "missing";
    QTest::newRow("else the per-user folder: installed under Program Files") << "program files";
}

void TestShippedLanguages::workspace()
{
    QFETCH(QString, kind);
    QTemporaryDir exeDir;
    QTemporaryDir userDir;
    QTemporaryDir other;
    std::optional<QTemporaryDir> installed;
    QStringList arguments{QStringLiteral("kv40812")};
    QString executableDir = exeDir.path();
    QString expected = exeDir.path();

    if (kind == u"option") {
        arguments << QStringLiteral("--workspace") << other.path();
        expected = other.path();
    } else if (kind == u"option=") {
        arguments << QStringLiteral("--workspace=") + other.path();
        expected = other.path();
    } else if (kind == u"environment") {
        qputenv("KV40812_WORKSPACE", other.path().toLocal8Bit());
        expected = other.path();
    } else if (kind == u"read-only") {
        QVERIFY(makeReadOnly(exeDir.path()));
        if (isWritableFolder(exeDir.path())) {
            QFile::setPermissions(exeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("root, and Windows, write into read-only folders; the other rows cover the fallback");
        }
        expected = userDir.path();
    } else if (kind == u"proc") {
        if (!QFileInfo(QStringLiteral("/proc/self")).isDir())
            QSKIP("no /proc on this system");
        executableDir = QStringLiteral("/proc/self");
        expected = userDir.path();
    } else if (kind == u"missing") {
        executableDir = joinPath(exeDir.path(), QStringLiteral("gone"));
        expected = userDir.path();
    } else if (kind == u"program files") {
        // Even where the user may write there, as an administrator or under Wine.
        const QString programFiles = qEnvironmentVariable("ProgramFiles");
        if (programFiles.isEmpty())
            QSKIP("no Program Files on this system");
        installed.emplace(joinPath(programFiles, QStringLiteral("kv40812-test-XXXXXX")));
        if (!isWritableFolder(installed->path()))
            QSKIP("this user cannot write under Program Files; the read-only row covers that");
        executableDir = installed->path();
        expected = userDir.path();
    }

    const QString workspace = resolveWorkspace(arguments, executableDir, userDir.path());
    qunsetenv("KV40812_WORKSPACE");
    QFile::setPermissions(exeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(workspace, expected);
    // The probe leaves nothing behind in the executable's folder.
    QVERIFY(QDir(exeDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

QTEST_MAIN(TestShippedLanguages)
#include "test_shipped_languages.moc"

#include "support/TestSupport.h"

#include "core/Workspace.h"
#include "i18n/Language.h"
#include "params/ConfigImage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

QStringList FakeMessages::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out << s.text;
    return out;
}

void FakeMessages::record(const QString &kind, const QString &text)
{
    shown.append({kind, text});
    if (onShow)
        onShow(shown.last());
}

TestWorkspace::TestWorkspace()
{
    state.Dir_Exe = dir.path();
    setWorkspace(state, dir.path());
    services.messages = &messages;
    services.pinger = &pinger;
    services.updaterWaitMs = 1000;
    services.lockWaitMs = 300;
    services.openUrl = [this](const QUrl &url) { openedUrls.append(url); };
}

TestWorkspace::~TestWorkspace()
{
    // The console a console program got of its own may still hold the updater's log for a
    // moment after the program ended (Windows).
    for (int attempt = 0; attempt < 50 && !QDir(dir.path()).removeRecursively(); ++attempt)
        QThread::msleep(20);
}

void TestWorkspace::writeFile(const QString &relative, const QByteArray &data) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(full));
    file.write(data);
}

QByteArray TestWorkspace::readFile(const QString &relative) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void TestWorkspace::useProject(const QString &name)
{
    state.Project_Name = name;
    state.Project_Dir = joinPath(state.Dir_Projects, name);
    if (!QDir().mkpath(joinPath(state.Project_Dir, QStringLiteral("bin"))))
        qFatal("cannot make %s", qPrintable(state.Project_Dir));
    Set_Files(state);
}

ParameterValues TestWorkspace::saveParameters(const QList<std::pair<Param::Id, QString>> &changes)
{
    ParameterValues values = defaultParameterValues();
    for (const auto &[id, text] : changes)
        values[id] = text;
    QString error;
    if (!saveParameterFile(state.ParGen_File, values, &error))
        qFatal("%s", qPrintable(error));
    return values;
}

bool systemHasWindowsNames()
{
    return QSysInfo::productType() == u"windows";
}

QString processReport(QProcess &process)
{
    QString ended;
    if (process.state() != QProcess::NotRunning)
        ended = QStringLiteral("still running");
    else if (process.exitStatus() == QProcess::CrashExit)
        ended = QStringLiteral("ended by a signal (%1)").arg(process.errorString());
    else
        ended = QStringLiteral("exited with code %1").arg(process.exitCode());
    // Peeked, not read: QVERIFY2 builds its message even when the check passes.
    const QProcess::ProcessChannel channel = process.readChannel();
    QByteArray wrote;
    for (const QProcess::ProcessChannel each : {QProcess::StandardOutput, QProcess::StandardError}) {
        process.setReadChannel(each);
        wrote += process.peek(process.bytesAvailable());
    }
    process.setReadChannel(channel);
    return QStringLiteral("%1 %2 %3; it wrote:\n%4")
        .arg(process.program(), process.arguments().join(u' '), ended, QString::fromLocal8Bit(wrote));
}

void onNextModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QElapsedTimer clock;
    clock.start();
    // A test (or row) that ended without the window leaves no watcher to act in the next one.
    const auto currentTest = [] { return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag(); };
    const QByteArray test = currentTest();
    QObject::connect(timer, &QTimer::timeout, [timer, action, clock, test, currentTest] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool sameTest = test == currentTest();
        if (modal || !sameTest || clock.elapsed() > kPatienceMs) {
            timer->stop();
            timer->deleteLater();
            if (modal && sameTest)
                action(modal);
            else if (sameTest)
                QTest::qFail("no modal window opened", __FILE__, __LINE__);
        }
    });
    timer->start();
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(KV_FIXTURES) + u'/' + name;
}

void patch(QByteArray &image, const QString &changes)
{
    for (const QString &change : changes.split(u';', Qt::SkipEmptyParts)) {
        const QStringList parts = change.split(u':');
        bool ok = false;
        int offset = parts.at(0).trimmed().toInt(&ok, 16);
        Q_ASSERT(ok && parts.size() == 2);
        for (const QString &byte : parts.at(1).split(u' ', Qt::SkipEmptyParts))
            image[offset++] = static_cast<char>(byte.toUInt(&ok, 16));
    }
}

quint32 sumBeforeChecksum(const QByteArray &image)
{
    quint32 sum = 0;
    for (int i = 0; i < 0x7FC; ++i)
        sum += static_cast<quint8>(image.at(i));
    return sum;
}

void setImageChecksum(QByteArray &image)
{
    qToLittleEndian(sumBeforeChecksum(image), image.data() + 0x7FC);
}

QStringList shippedLanguages()
{
    QStringList names;
    const QString folder = QStringLiteral(KV_LANGUAGES);
    for (const QString &file : QDir(folder).entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name))
        names << file.chopped(kLanguageExtension.size());
    return names;
}

void loadShippedLanguage(TestWorkspace &ws, const QString &language)
{
    QString error;
    QVERIFY2(copyShippedLanguages(QStringLiteral(KV_LANGUAGES), ws.state.Dir_Language, &error), qPrintable(error));
    ws.state.Language_Name = language;
    QVERIFY2(Load_Language(ws.state, &error), qPrintable(error));
    QCOMPARE(ws.state.Language_Name, language);
}

QByteArray composedImage(const std::optional<QByteArray> &parGen)
{
    QByteArray image;
    QString error;
    if (!composeImage(parGen, QStringLiteral("ParGen.xml"), &image, &error))
        qWarning("compose failed: %s", qPrintable(error));
    return image;
}

ParameterValues valuesWith(const QString &changes, QList<Param::Id> *changed)
{
    ParameterValues values = defaultParameterValues();
    for (const QString &change : changes.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = change.indexOf(u'=');
        const ParameterDef *def = findParameter(change.left(equals));
        if (!def)
            qFatal("no parameter in \"%s\"", qPrintable(change));
        values[def->id] = change.mid(equals + 1);
        if (changed)
            changed->append(def->id);
    }
    return values;
}


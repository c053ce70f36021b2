#include "core/Workspace.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "core/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef KV40812_SHIPPED_LANGUAGES
#define KV40812_SHIPPED_LANGUAGES "../share/kv40812/languages"
#endif

QString userDataFolder()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString resolveWorkspace(const QStringList &arguments, const QString &executableDir, const QString &userDataDir)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--workspace" && i + 1 < arguments.size())
            return QDir(arguments.at(i + 1)).absolutePath();
        if (arg.startsWith(u"--workspace="))
            return QDir(arg.mid(12)).absolutePath();
    }
    const QString fromEnv = qEnvironmentVariable("KV40812_WORKSPACE");
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    if (isPortableCopy(executableDir) || userDataDir.isEmpty())
        return executableDir;
    return userDataDir;
}

void setWorkspace(AppState &state, const QString &dirExe)
{
    // Qt hands out folders with '/'; every path the program shows or writes is built from here.
    QString dir = QDir::toNativeSeparators(dirExe);
    while (dir.size() > 1 && dir.endsWith(QDir::separator()))
        dir.chop(1);
    state.Dir_Exe = dir;
    state.Dir_Master = joinPath(dir, kMasterFolder);
    state.Dir_Projects = joinPath(dir, kProjectsFolder);
    state.Dir_Language = joinPath(dir, kLanguageFolder);
}

void createWorkspaceFolders(const AppState &state)
{
    for (const QString &folder : {state.Dir_Master, state.Dir_Projects, state.Dir_Language}) {
        if (!QFileInfo::exists(folder))
            QDir().mkdir(folder);
    }
}

QString shippedLanguagesFolder(const QString &executableDir)
{
    return QDir::cleanPath(joinPath(executableDir, QStringLiteral(KV40812_SHIPPED_LANGUAGES)));
}

bool copyShippedLanguages(const QString &shippedDir, const QString &languageDir, QString *error)
{
    const QFileInfoList shipped = QDir(shippedDir).entryInfoList(QDir::Files, QDir::Name);
    if (shipped.isEmpty())
        return true;
    if (!QDir().mkpath(languageDir)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(languageDir));
        return false;
    }
    for (const QFileInfo &source : shipped) {
        const QString target = joinPath(languageDir, source.fileName());
        // Whatever stands there is the user's, a link too (followed, it would create its target).
        if (entryKind(target) != EntryKind::Missing)
            continue;
        // Read and write rather than copy: the copy must not inherit the install's read-only bits,
        // or the options window would skip it.
        QByteArray data;
        if (!readWholeFile(source.filePath(), &data, error) || !writeFileAtomic(target, data, error))
            return false;
    }
    return true;
}

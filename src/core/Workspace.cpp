#include "core/Workspace.h"

#include "core/AppState.h"
#include "core/FileIO.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef KV40812_SHIPPED_LANGUAGES
#define KV40812_SHIPPED_LANGUAGES "../share/kv40812/languages"
#endif

bool isWritableFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    // Permission bits say nothing about read-only mounts, ACLs or root; a real file does.
    QTemporaryFile probe(joinPath(folder, QStringLiteral(".kv40812-probe-XXXXXX")));
    return probe.open();
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
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
        if (QFileInfo::exists(target))
            continue;
        // Read and write rather than copy: the copy must not inherit the install's read-only bits,
        // or the options window would skip it.
        QByteArray data;
        if (!readWholeFile(source.filePath(), &data, error) || !writeFileAtomic(target, data, error))
            return false;
    }
    return true;
}

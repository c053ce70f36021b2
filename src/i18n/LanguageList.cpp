#include "i18n/LanguageList.h"

#include "core/Paths.h"
#include "core/Names.h"
#include "i18n/Language.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

QStringList listLanguageFiles(const QString &folder)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &info : entries) {
        // Only names Load_Language takes: the chosen one goes into the settings file and back.
        if (isLanguageFileEntry(info) && !info.isSymLink() && info.permissions().testFlag(QFile::WriteOwner)
            && isPlainName(languageDisplayName(info.fileName())))
            names.append(info.fileName());
    }
    // Alphabetical as a reader expects it: accented letters with their base letter, case aside.
    // A fixed collation, not the user's locale, so that every machine shows the same order.
    QCollator collator{QLocale(QLocale::English)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        const int blind = collator.compare(a, b);
        return blind != 0 ? blind < 0 : a < b;
    });
    return names;
}

std::optional<QString> findLanguage(const QString &folder, const QString &name)
{
    const QStringList files = listLanguageFiles(folder);
    QStringList matches;
    for (const QString &file : files) {
        if (languageDisplayName(file) == name)
            return file;
        if (languageDisplayName(file).compare(name, Qt::CaseInsensitive) == 0)
            matches << file;
    }
    if (matches.size() != 1)
        return std::nullopt;
    return matches.first();
}

QString languageDisplayName(const QString &fileName)
{
    return fileName.chopped(kLanguageExtension.size());
}

QString flagPicturePath(const QString &folder, const QString &displayName)
{
    for (const QString &name : {displayName + QStringLiteral(".bmp"), kDefaultFlag}) {
        const QString path = joinPath(folder, name);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

LanguagePage languagePage(int entries, int numPage)
{
    LanguagePage page;
    page.pages = (entries + kLanguagesPerPage - 1) / kLanguagesPerPage;
    page.first = (numPage - 1) * kLanguagesPerPage;
    page.count = std::clamp(entries - page.first, 0, kLanguagesPerPage);
    page.previous = numPage != 1;
    page.next = numPage != page.pages;
    return page;
}

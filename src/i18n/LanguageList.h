#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The language files of the options window: which are offered, in which order, on which page.

inline constexpr int kLanguagesPerPage = 6;
inline const QString kDefaultFlag = QStringLiteral("DefaultFlag.bmp");

// File names (with extension) of the language files in the folder, in alphabetical order
// without regard to case or accents. A file its owner cannot write counts as read-only and is
// left out, and so is a symbolic link and a name XML cannot hold; hidden files are listed.
QStringList listLanguageFiles(const QString &folder);

// The file of the language `name` among listLanguageFiles(folder): its own name in any letter
// case, an exact match first. Nothing when no file, or more than one, matches.
std::optional<QString> findLanguage(const QString &folder, const QString &name);

// "Deutsch.lng" -> "Deutsch".
QString languageDisplayName(const QString &fileName);

// The language's own flag picture, else DefaultFlag.bmp, else empty: whichever file exists.
QString flagPicturePath(const QString &folder, const QString &displayName);

// One page of the list, pages counted from 1.
struct LanguagePage {
    int pages = 0;
    int first = 0;   // index of the page's first entry
    int count = 0;   // entries shown, 0 to 6
    bool previous = false;
    bool next = false;
};
LanguagePage languagePage(int entries, int numPage);

#pragma once

#include "core/TextTable.h"

#include <QByteArray>
#include <QString>

class QFileInfo;
struct AppState;

inline constexpr int kTextCount = 800;
inline const QString kLanguageExtension = QStringLiteral(".lng");

// Empties the table and fills it with the 800 built-in English texts.
void Set_Default_Lang(TextTable &table);

// Decodes a language file: a byte-order mark selects UTF-8 or UTF-16; without one, the text is
// UTF-8 when its bytes are, else Windows-1252.
QString decodeLanguageFile(const QByteArray &bytes);

// Lays the text lines of a decoded language file over the table.
void applyLanguageText(TextTable &table, const QString &text);

// Reads one language file over the table. A file that cannot be read changes nothing.
bool Read_Lang_File(TextTable &table, const QString &path, QString *error);

// A language file: a regular file named "<Name>.lng", the extension in these exact letters.
// The options window lists by this rule and Load_Language looks up by it, so a listed
// language always loads.
bool isLanguageFileEntry(const QFileInfo &info);

// The path of a language's file in the language folder.
QString languageFilePath(const AppState &state, const QString &languageName);

// A language of the language folder: a plain name (no path, nothing hidden) whose file is there.
// A name from the settings file or a command line leads to no file outside that folder.
bool isLanguageName(const AppState &state, const QString &languageName);

// Built-in texts, then the file of Language_Name (or of English, which Language_Name then
// becomes). On a read failure the table holds the built-in texts and the error is returned.
bool Load_Language(AppState &state, QString *error);

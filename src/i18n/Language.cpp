#include "i18n/Language.h"

#include "core/AppState.h"
#include "core/Comon.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/IntegerConversion.h"
#include "core/Names.h"
#include "core/Paths.h"
#include "core/TextEncoding.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace {

constexpr QChar kPilcrow = QChar(0x00B6);

void applyLine(TextTable &table, QStringView rawLine)
{
    const QString line = trimControl(rawLine);
    if (!line.startsWith(u"STR"))
        return;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return;
    // The index is everything between "STR" and the first "=", so "STR12= x" sets entry 12.
    const qint32 index = toIntegerDef(trimControl(QStringView(line).mid(3, equals - 3)), -1);
    if (index < 0 || index >= table.Text_Count || index >= table.entries.size())
        return;
    QString text = trimControl(QStringView(line).mid(equals + 1));
    if (text.isEmpty())
        return;
    const qsizetype comment = text.indexOf(u"/#/");
    if (comment >= 0) {
        text = trimControl(QStringView(text).left(comment));
        if (text.isEmpty())
            return;
    }
    if (text.startsWith(kPilcrow))
        text.remove(0, 1);
    const qsizetype pilcrow = text.indexOf(kPilcrow);
    if (pilcrow >= 0)
        text.truncate(pilcrow);
    table.entries[index] = text;
}

} // namespace

QString decodeLanguageFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QStringDecoder(QStringDecoder::Utf8)(QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(QByteArrayView(bytes).sliced(2));
    // Editors save UTF-8 without a mark too; Windows-1252 text with any letter beyond ASCII is
    // practically never valid UTF-8, so the old 8-bit files read as before.
    if (const std::optional<QString> utf8 = decodeStrictUtf8(bytes))
        return *utf8;
    return decodeWindows1252(bytes);
}

void applyLanguageText(TextTable &table, const QString &text)
{
    const QStringView all(text);
    qsizetype start = 0;
    const qsizetype n = all.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = all.at(i);
        if (c == u'\r' || c == u'\n') {
            applyLine(table, all.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && all.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        applyLine(table, all.mid(start));
}

bool Read_Lang_File(TextTable &table, const QString &path, QString *error)
{
    QByteArray bytes;
    if (!readWholeFile(path, &bytes, error))
        return false;
    applyLanguageText(table, decodeLanguageFile(bytes));
    return true;
}

bool isLanguageFileEntry(const QFileInfo &info)
{
    const QString name = info.fileName();
    return name.size() > kLanguageExtension.size() && name.endsWith(kLanguageExtension) && info.isFile();
}

QString languageFilePath(const AppState &state, const QString &languageName)
{
    return joinPath(state.Dir_Language, languageName + kLanguageExtension);
}

bool isLanguageName(const AppState &state, const QString &languageName)
{
    return isPlainName(languageName) && isLanguageFileEntry(QFileInfo(languageFilePath(state, languageName)));
}

bool Load_Language(AppState &state, QString *error)
{
    Set_Default_Lang(state.Text_Table);
    if (!isLanguageName(state, state.Language_Name)) {
        state.Language_Name = kDefaultLanguage;
        if (!isLanguageName(state, state.Language_Name))
            return true;
    }
    if (!Read_Lang_File(state.Text_Table, languageFilePath(state, state.Language_Name), error)) {
        Set_Default_Lang(state.Text_Table);
        return false;
    }
    return true;
}

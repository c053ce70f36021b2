#include "i18n/Language.h"

#include "core/AppState.h"
#include "core/Comon.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/IntegerConversion.h"
#include "core/Names.h"
#include "core/Paths.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace {

constexpr QChar kPilcrow = QChar(0x00B6);

// Bytes 0x80-0x9F of Windows-1252; the rest of the page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return out;
}

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
    return decodeCp1252(bytes);
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

#include "core/Csv.h"

#include <QStringDecoder>

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// The first line whose bytes are not UTF-8; a line break is never part of a longer sequence,
// so each line can be decoded on its own.
int firstLineNotUtf8(const QByteArray &data)
{
    int line = 1;
    for (const QByteArray &bytes : data.split('\n')) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(bytes); // decoding happens on conversion
        Q_UNUSED(decoded);
        if (decoder.hasError())
            return line;
        ++line;
    }
    return line;
}

// Counts the first record's commas and semicolons outside quoted fields. Quotes count as the
// reader takes them: only a quote that begins a field opens one, and a doubled quote stays in it.
QChar detectDelimiter(QStringView text)
{
    int commas = 0;
    int semicolons = 0;
    bool inQuotes = false;
    bool fieldStart = true;
    bool lineHasText = false; // blank lines before the first record do not count
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                ++i;
            else if (c == u'"')
                inQuotes = false;
            continue;
        }
        if (isLineEnd(c)) {
            if (lineHasText)
                break;
            continue;
        }
        lineHasText = true;
        if (c == u'"' && fieldStart) {
            inQuotes = true;
            fieldStart = false;
            continue;
        }
        fieldStart = c == u',' || c == u';';
        if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
    }
    return semicolons > commas ? QChar(u';') : QChar(u',');
}

} // namespace

bool readCsv(const QByteArray &data, CsvTable *table, CsvError *error)
{
    // Stateless: a sequence cut off at the end is an error too, not a wait for more bytes.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError()) {
        *error = {firstLineNotUtf8(data), QStringLiteral("not UTF-8 text (save the spreadsheet as CSV UTF-8)")};
        return false;
    }
    // The decoder drops one byte-order mark; a file that tools put together may hold more.
    while (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    *table = CsvTable{};
    table->delimiter = detectDelimiter(text);
    const QChar delimiter = table->delimiter;

    CsvRecord record;
    QString field;
    bool fieldQuoted = false;
    int line = 1;
    record.line = line;
    const auto endField = [&] {
        record.fields << field;
        record.quoted << fieldQuoted;
        field.clear();
        fieldQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        // A line with nothing on it is no record.
        if (record.fields.size() > 1 || !record.fields.first().isEmpty() || record.quoted.first())
            table->records << record;
        record = CsvRecord{};
    };

    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text.at(i);
        if (c == u'"' && field.isEmpty() && !fieldQuoted) {
            // A quoted field: up to the quote that is not doubled.
            const int startLine = line;
            fieldQuoted = true;
            ++i;
            for (;;) {
                if (i >= size) {
                    *error = {startLine, QStringLiteral("a quoted field does not end")};
                    return false;
                }
                const QChar q = text.at(i);
                if (q == u'"') {
                    if (i + 1 < size && text.at(i + 1) == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (q == u'\n' || (q == u'\r' && !(i + 1 < size && text.at(i + 1) == u'\n')))
                    ++line;
                field += q;
                ++i;
            }
            if (i < size && text.at(i) != delimiter && !isLineEnd(text.at(i))) {
                *error = {line, QStringLiteral("text after the closing quote of a field")};
                return false;
            }
            continue;
        }
        if (c == delimiter) {
            endField();
            ++i;
        } else if (isLineEnd(c)) {
            // CRLF, LF or a lone CR end the line.
            i += (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') ? 2 : 1;
            endRecord();
            record.line = ++line;
        } else {
            // A quote inside an unquoted field is taken as it stands, as spreadsheets do.
            field += c;
            ++i;
        }
    }
    endRecord();
    return true;
}

QString csvRecord(const QStringList &fields, QChar delimiter)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString &f : fields) {
        // Both delimiters are quoted: a reader finds the delimiter anew from the first record.
        const bool quote = f.isEmpty() || f.contains(u',') || f.contains(u';') || f.contains(u'"') || f.contains(u'\n')
                           || f.contains(u'\r') || f.front() == u' ' || f.back() == u' ';
        if (quote)
            out << u'"' + QString(f).replace(u'"', QStringLiteral("\"\"")) + u'"';
        else
            out << f;
    }
    return out.join(delimiter) + QStringLiteral("\r\n");
}

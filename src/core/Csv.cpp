#include "core/Csv.h"

#include "core/TextEncoding.h"

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
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

// UTF-8, or else Windows-1252, the spreadsheets' default where plans are made. A file that
// tools put together may hold more than one byte-order mark.
QString decodePlanText(QByteArrayView data, int *notUtf8Line)
{
    const QByteArrayView mark("\xEF\xBB\xBF");
    while (data.startsWith(mark))
        data = data.sliced(mark.size());
    *notUtf8Line = 0;
    std::optional<QString> text = decodeStrictUtf8(data);
    if (!text) {
        *notUtf8Line = firstLineNotUtf8(data);
        text = decodeWindows1252(data);
    }
    while (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return *text;
}

// Splits the text into records, field by field, appending them to the table as they end.
class RecordReader {
public:
    RecordReader(QStringView text, CsvTable &table) : m_text(text), m_table(table), m_delimiter(table.delimiter)
    {
        m_record.line = m_line;
    }

    bool read(CsvError *error)
    {
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at);
            if (!isLineEnd(c))
                m_lineHasText = true;
            if (c == u'"' && m_field.isEmpty() && !m_fieldQuoted) {
                if (!readQuotedField(error))
                    return false;
            } else if (c == m_delimiter) {
                endField();
                ++m_at;
            } else if (isLineEnd(c)) {
                endLine();
            } else {
                // A quote inside an unquoted field is taken as it stands, as spreadsheets do.
                m_field += c;
                ++m_at;
            }
        }
        endRecord();
        return true;
    }

private:
    bool nextIs(QChar c) const { return m_at + 1 < m_text.size() && m_text.at(m_at + 1) == c; }

    // Up to the quote that is not doubled; only a delimiter or a line end may follow it.
    bool readQuotedField(CsvError *error)
    {
        const int startLine = m_line;
        m_fieldQuoted = true;
        ++m_at;
        if (!readUpToClosingQuote()) {
            *error = {startLine, QStringLiteral("a quoted field does not end")};
            return false;
        }
        if (m_at < m_text.size() && m_text.at(m_at) != m_delimiter && !isLineEnd(m_text.at(m_at))) {
            *error = {m_line, QStringLiteral("text after the closing quote of a field")};
            return false;
        }
        return true;
    }

    bool readUpToClosingQuote()
    {
        while (m_at < m_text.size()) {
            const QChar q = m_text.at(m_at);
            if (q == u'"') {
                if (nextIs(u'"')) {
                    m_field += u'"';
                    m_at += 2;
                    continue;
                }
                ++m_at;
                return true;
            }
            if (q == u'\n' || (q == u'\r' && !nextIs(u'\n')))
                ++m_line;
            m_field += q;
            ++m_at;
        }
        return false;
    }

    // CRLF, LF or a lone CR end the line.
    void endLine()
    {
        m_at += (m_text.at(m_at) == u'\r' && nextIs(u'\n')) ? 2 : 1;
        endRecord();
        m_record.line = ++m_line;
    }

    void endField()
    {
        m_record.fields << m_field;
        m_field.clear();
        m_fieldQuoted = false;
    }

    void endRecord()
    {
        endField();
        // A line with nothing on it is no record.
        if (m_lineHasText)
            m_table.records << m_record;
        m_lineHasText = false;
        m_record = CsvRecord{};
    }

    QStringView m_text;
    CsvTable &m_table;
    const QChar m_delimiter;
    qsizetype m_at = 0;
    int m_line = 1;
    CsvRecord m_record;
    QString m_field;
    bool m_fieldQuoted = false;
    bool m_lineHasText = false;
};

} // namespace

bool readCsv(const QByteArray &data, CsvTable *table, CsvError *error)
{
    *table = CsvTable{};
    const QString text = decodePlanText(data, &table->notUtf8Line);
    table->delimiter = detectDelimiter(text);
    return RecordReader(text, *table).read(error);
}

QString csvRecord(const QStringList &fields, QChar delimiter)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString &f : fields) {
        // Both delimiters are quoted: a reader finds the delimiter anew from the first record.
        const bool quote = !f.isEmpty() && (f.contains(u',') || f.contains(u';') || f.contains(u'"') || f.contains(u'\n')
                           || f.contains(u'\r') || f.front() == u' ' || f.back() == u' ');
        if (quote)
            out << u'"' + QString(f).replace(u'"', QStringLiteral("\"\"")) + u'"';
        else
            out << f;
    }
    // A record of one empty field would be a blank line, which is no record.
    if (out.size() == 1 && out.first().isEmpty())
        out.first() = QStringLiteral("\"\"");
    return out.join(delimiter) + QStringLiteral("\r\n");
}

bool startsLikeFormula(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

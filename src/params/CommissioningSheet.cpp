#include "params/CommissioningSheet.h"

#include "core/Constants.h"
#include "params/EditorGroups.h"

namespace {

const char kStyle[] = R"(
@page { size: A4; margin: 14mm 16mm; }
body { font-family: Verdana, "DejaVu Sans", sans-serif; font-size: 9.5pt; color: #222; margin: 0; }
section { padding: 4mm 0; break-after: page; page-break-after: always; }
section:last-of-type { break-after: auto; page-break-after: auto; }
header { border-bottom: 2px solid #999; margin-bottom: 4mm; }
header .code { font-size: 22pt; color: #888; margin: 0; }
header .desc { font-weight: bold; color: #888; margin: 0 0 2mm 0; }
h1 { font-size: 15pt; margin: 2mm 0 0 0; }
.date { color: #555; margin: 1mm 0 2mm 0; }
h2 { font-size: 11pt; margin: 5mm 0 1.5mm 0; }
table { border-collapse: collapse; width: 100%; margin-bottom: 3mm; break-inside: avoid; page-break-inside: avoid; }
caption { text-align: left; font-weight: bold; padding: 1mm 0; }
th, td { border: 1px solid #bbb; padding: 1mm 2mm; text-align: left; vertical-align: top; }
th { width: 45%; font-weight: normal; background: #f1f0e6; }
tr { break-inside: avoid; page-break-inside: avoid; }
.off { color: #999; }
.note { color: #555; font-style: italic; }
.pass { color: #1b5e20; }
.broken { color: #b71c1c; font-weight: bold; }
ul { margin: 0; padding-left: 6mm; }
@media screen { body { background: rgb(248, 247, 237); } section { max-width: 180mm; margin: 0 auto; } }
)";

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// What the editor's row shows: item texts of lists, the check box, the numbers of an address.
QString rowValue(const EditorRow &row, const ParameterValues &values, const TextTable &texts)
{
    QStringList parts;
    for (const RowInput &input : row.inputs)
        parts << shownValue(parameter(input.value), values[input.value], texts);
    QString value = escaped(parts.join(QLatin1Char('.')));
    if (!row.caption.flag)
        return value;
    const bool on = values[*row.caption.flag] == u"1";
    // Ballot boxes print in any language; the value of a switched-off row is greyed.
    return on ? QStringLiteral("&#x2611; ") + value : QStringLiteral("&#x2610; <span class=\"off\">%1</span>").arg(value);
}

QString groupsHtml(const SheetSection &section, const TextTable &texts)
{
    QString html;
    for (const EditorGroup &group : editorGroups()) {
        html += QStringLiteral("<table><caption>%1</caption>\n").arg(escaped(texts.text(group.caption).trimmed()));
        for (const EditorRow &row : group.rows) {
            if (!editorShowsRow(row, section.values))
                continue;
            html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
                        .arg(escaped(texts.text(row.caption.text).trimmed()), rowValue(row, section.values, texts));
        }
        html += QStringLiteral("</table>\n");
    }
    return html;
}

QString sectionHtml(const SheetSection &section, const TextTable &texts)
{
    QString html = QStringLiteral("<section>\n<header><p class=\"code\">%1</p><p class=\"desc\">%2</p></header>\n")
                       .arg(escaped(kSwCode), escaped(kSwDesc));
    html += QStringLiteral("<h1>%1</h1>\n<p class=\"date\">%2</p>\n")
                .arg(escaped(section.name), section.date.toString(Qt::ISODate));
    if (!section.hasParameterFile)
        html += QStringLiteral("<p class=\"note\">No ParGen.xml: the values the editor shows for a new "
                               "configuration.</p>\n");
    html += groupsHtml(section, texts);

    html += QStringLiteral("<h2>Validation</h2>\n");
    html += section.brokenRule
                ? QStringLiteral("<p class=\"broken\">%1</p>\n").arg(escaped(texts.text(*section.brokenRule)))
                : QStringLiteral("<p class=\"pass\">All validation rules pass.</p>\n");
    html += networkWarningsHtml(section.networkWarnings);
    html += QStringLiteral("<h2>Image</h2>\n<p>%1</p>\n</section>\n").arg(escaped(section.image));
    return html;
}

} // namespace

QString networkWarningsHtml(const QStringList &warnings)
{
    QString html = QStringLiteral("<h2>Network</h2>\n");
    if (warnings.isEmpty())
        return html + QStringLiteral("<p class=\"pass\">No network warnings.</p>\n");
    html += QStringLiteral("<ul>\n");
    for (const QString &warning : warnings)
        html += QStringLiteral("<li>%1</li>\n").arg(escaped(warning));
    return html + QStringLiteral("</ul>\n");
}

QString commissioningSheet(const QList<SheetSection> &sections, const TextTable &texts)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<title>%1 commissioning sheet</title>\n<style>%2</style>\n</head>\n<body>\n")
                       .arg(escaped(kSwCode), QString::fromLatin1(kStyle));
    for (const SheetSection &section : sections)
        html += sectionHtml(section, texts);
    return html + QStringLiteral("</body>\n</html>\n");
}

#include "params/CommissioningSheet.h"

#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "core/TextIndex.h"
#include "params/ConfigImage.h"
#include "params/EditorGroups.h"

#include <QFileInfo>
#include <QRegularExpression>

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

// A configuration's name as a shell takes it: quoted unless it is one plain word.
QString shellWord(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (plain.match(name).hasMatch())
        return name;
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\\\""));
    return u'"' + quoted + u'"';
}

QString imageHtml(const SheetSection &section, const TextTable &texts)
{
    const SheetImage &image = section.image;
    const QString file = joinPath(kBinFolder, kImageFile);
    const auto paragraph = [](const QString &text) { return QStringLiteral("<p>%1</p>\n").arg(escaped(text)); };
    const QString checksum = paragraph(
        texts.text(Txt::SheetChecksum, {QString::number(image.checksum),
                                        QStringLiteral("%1").arg(image.checksum, 8, 16, QLatin1Char('0')).toUpper()}));
    switch (image.state) {
    case SheetImage::State::NotComposed:
        return paragraph(texts.text(Txt::SheetImageNotComposed,
                                    {texts.text(Txt::UpdateDeviceCaption).trimmed(),
                                     QStringLiteral("kv40812-tool image ") + shellWord(section.name)}));
    case SheetImage::State::Unreadable:
        return paragraph(image.error);
    case SheetImage::State::WrongSize:
        return paragraph(texts.text(Txt::SheetImageWrongSize,
                                    {file, QString::number(image.size), QString::number(kImageSize)}));
    case SheetImage::State::WrongChecksum:
        return paragraph(texts.text(Txt::SheetImageWrongChecksum,
                                    {file, QString::number(image.checksum), QString::number(image.sum)}));
    case SheetImage::State::Current:
        return checksum + paragraph(texts.text(Txt::SheetImageCurrent, {file}));
    case SheetImage::State::OutOfDate:
        return checksum + paragraph(texts.text(Txt::SheetImageOutOfDate, {file}));
    case SheetImage::State::Unchecked:
        break;
    }
    return checksum;
}

QString networkWarningsHtml(const QStringList &warnings, const TextTable &texts)
{
    QString html = QStringLiteral("<h2>%1</h2>\n").arg(escaped(texts.text(Txt::SheetNetworkHeading)));
    if (warnings.isEmpty())
        return html + QStringLiteral("<p class=\"pass\">%1</p>\n").arg(escaped(texts.text(Txt::SheetNoNetworkWarnings)));
    html += QStringLiteral("<ul>\n");
    for (const QString &warning : warnings)
        html += QStringLiteral("<li>%1</li>\n").arg(escaped(warning));
    return html + QStringLiteral("</ul>\n");
}

QString sectionHtml(const SheetSection &section, const TextTable &texts)
{
    QString html = QStringLiteral("<section>\n<header><p class=\"code\">%1</p><p class=\"desc\">%2</p></header>\n")
                       .arg(escaped(kSwCode), escaped(kSwDesc));
    html += QStringLiteral("<h1>%1</h1>\n<p class=\"date\">%2</p>\n")
                .arg(escaped(section.name), section.date.toString(Qt::ISODate));
    if (!section.hasParameterFile)
        html += QStringLiteral("<p class=\"note\">%1</p>\n").arg(escaped(texts.text(Txt::SheetDefaultsNote, {kParGenFile})));
    html += groupsHtml(section, texts);

    html += QStringLiteral("<h2>%1</h2>\n").arg(escaped(texts.text(Txt::SheetValidationHeading)));
    html += section.brokenRule
                ? QStringLiteral("<p class=\"broken\">%1</p>\n").arg(escaped(texts.text(*section.brokenRule)))
                : QStringLiteral("<p class=\"pass\">%1</p>\n").arg(escaped(texts.text(Txt::SheetRulesPass)));
    html += networkWarningsHtml(section.networkWarnings, texts);
    html += QStringLiteral("<h2>%1</h2>\n").arg(escaped(texts.text(Txt::SheetImageHeading)));
    return html + imageHtml(section, texts) + QStringLiteral("</section>\n");
}

} // namespace

SheetImage sheetImageOf(const QString &folder)
{
    SheetImage image;
    const QString path = imageFilePathIn(folder);
    if (!QFileInfo::exists(path))
        return image;
    QByteArray bytes;
    if (!readWholeFile(path, &bytes, &image.error)) {
        image.state = SheetImage::State::Unreadable;
        return image;
    }
    Config_Image record;
    if (!Parse_Image(bytes, &record, &image.checksum, &image.sum)) {
        image.state = SheetImage::State::WrongSize;
        image.size = bytes.size();
        return image;
    }
    if (image.checksum != image.sum) {
        image.state = SheetImage::State::WrongChecksum;
        return image;
    }

    image.state = SheetImage::State::Unchecked;
    const QString parGen = parameterFilePathIn(folder);
    std::optional<QByteArray> parameters;
    QString error;
    if (QFileInfo::exists(parGen)) {
        parameters.emplace();
        if (!readWholeFile(parGen, &*parameters, &error))
            return image;
    }
    QByteArray current;
    if (composeImage(parameters, parGen, &current, &error))
        image.state = current == bytes ? SheetImage::State::Current : SheetImage::State::OutOfDate;
    return image;
}

QString commissioningSheet(const QList<SheetSection> &sections, const TextTable &texts)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<title>%2</title>\n<style>%3</style>\n</head>\n<body>\n")
                       .arg(escaped(texts.text(Txt::SheetLanguageTag).trimmed()),
                            escaped(texts.text(Txt::SheetTitle, {kSwCode})), QString::fromLatin1(kStyle));
    for (const SheetSection &section : sections)
        html += sectionHtml(section, texts);
    return html + QStringLiteral("</body>\n</html>\n");
}

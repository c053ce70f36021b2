// The report command: a commissioning sheet of configurations.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "params/CommissioningSheet.h"
#include "params/ConfigImage.h"
#include "params/NetworkRules.h"
#include "params/Validation.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// The network sanity warnings of a parameter set, one text each.
QStringList networkWarningTexts(const ParameterValues &values)
{
    QStringList texts;
    for (const NetworkWarning &warning : networkWarnings(values))
        texts << warning.message;
    return texts;
}

// The stored image's checksum, and whether the parameters still compose to it.
QString imageLine(const QString &folder, const QString &parGen)
{
    const QString path = imageFilePathIn(folder);
    if (!QFileInfo::exists(path))
        return QStringLiteral("not composed");
    const QString shownPath = joinPath(kBinFolder, kImageFile);
    QByteArray bytes;
    QString error;
    if (!readWholeFile(path, &bytes, &error))
        return error;
    Config_Image image;
    quint32 stored = 0;
    quint32 computed = 0;
    if (!Parse_Image(bytes, &image, &stored, &computed))
        return shownPath + QStringLiteral(": ") + wrongImageSizeMessage(bytes.size());
    if (stored != computed)
        return shownPath + QStringLiteral(": ") + wrongChecksumMessage(stored, computed);

    const QString checksum = QStringLiteral("Checksum %1 (0x%2)")
                                 .arg(stored)
                                 .arg(QStringLiteral("%1").arg(stored, 8, 16, QLatin1Char('0')).toUpper());
    std::optional<QByteArray> parameters;
    QByteArray current;
    if (QFileInfo::exists(parGen)) {
        parameters.emplace();
        if (!readWholeFile(parGen, &*parameters, &error))
            return checksum;
    }
    if (!composeImage(parameters, parGen, &current, &error))
        return checksum;
    return checksum
           + (current == bytes
                  ? QStringLiteral("; %1 is what the parameters above compose.").arg(shownPath)
                  : QStringLiteral("; the parameters above compose another image: %1 is out of date.").arg(shownPath));
}

} // namespace

int cmdReport(ToolContext &tool)
{
    if (tool.line.arguments.isEmpty())
        throw UsageError{QStringLiteral("report takes one or more configurations")};
    QList<SheetSection> sections;
    for (const QString &project : tool.line.arguments) {
        const QString folder = tool.projectFolder(project);
        const QString parGen = parameterFilePathIn(folder);
        SheetSection section;
        section.name = QFileInfo(folder).fileName();
        section.date = QDate::currentDate();
        section.hasParameterFile = QFileInfo::exists(parGen);
        if (!tool.loadValues(parGen, &section.values))
            return kExitUsage;
        section.brokenRule = firstBrokenRule(section.values);
        section.networkWarnings = networkWarningTexts(section.values);
        section.image = imageLine(folder, parGen);
        sections << section;
    }
    const QString html = commissioningSheet(sections, tool.state.Text_Table);
    const QString output = tool.line.value(QStringLiteral("--output"));
    if (output.isEmpty()) {
        tool.out << html;
        return kExitOk;
    }
    QString error;
    if (!writeFileAtomic(output, html.toUtf8(), &error))
        return tool.fail(kExitUsage, error);
    tool.out << QDir::toNativeSeparators(output) << Qt::endl;
    return kExitOk;
}

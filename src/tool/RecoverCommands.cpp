// The recovery commands: import, diff.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/Names.h"
#include "core/Paths.h"
#include "core/XmlLookup.h"
#include "params/ConfigImage.h"
#include "params/ImageImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The configuration `name` in PROJECTS, created when it is not there yet. A path names no
// configuration that import could create, so it takes names only, as new does.
int configurationFolder(ToolContext &tool, const QString &name, QString *folder)
{
    *folder = joinPath(tool.state.Dir_Projects, name);
    if (isPlainName(name) && QFileInfo(*folder).isDir())
        return kExitOk;
    return createNamedConfiguration(tool, name);
}

void warnOfKeptCopy(ToolContext &tool, const QString &file, const QString &kept)
{
    if (!kept.isEmpty())
        tool.warn(QStringLiteral("%1 did not read as XML; what it held is kept as %2").arg(native(file), native(kept)));
}

} // namespace

int cmdImport(ToolContext &tool)
{
    tool.expectArguments(2, "an image and a configuration");
    const QString imagePath = tool.line.arguments.at(0);
    QByteArray bytes;
    QString error;
    if (!readWholeFile(imagePath, &bytes, &error))
        return tool.fail(kExitUsage, error);
    // Refused before anything is created; this also proves that the file composes back.
    ImageImport imported;
    if (!importImage(bytes, &imported, &error))
        return tool.fail(kExitRefused, error);

    QString folder;
    if (const int code = configurationFolder(tool, tool.line.arguments.at(1), &folder); code != kExitOk)
        return code;
    ConfigurationLock lock(folder);
    if (!lock.acquire(&error))
        return tool.fail(kExitRefused, error);
    const QString parGen = parameterFilePathIn(folder);
    const bool hadFile = QFileInfo::exists(parGen);
    if (hadFile && !tool.line.has(QStringLiteral("--force")))
        return tool.fail(kExitRefused, QStringLiteral("%1 exists; --force %2 it")
                                           .arg(native(parGen), imported.hasParameterFile ? QStringLiteral("replaces")
                                                                                          : QStringLiteral("removes")));

    QString kept;
    if (!imported.hasParameterFile) {
        QFile file(parGen);
        if (hadFile && !keepIfUnreadable(parGen, &kept, &error))
            return tool.fail(kExitUsage, error);
        if (hadFile && !file.remove())
            return tool.fail(kExitUsage, QStringLiteral("%1: %2").arg(native(parGen), file.errorString()));
        warnOfKeptCopy(tool, parGen, kept);
        const QString note = QStringLiteral("the image is the one composed without a parameter file");
        if (hadFile)
            tool.out << "removed " << native(parGen) << ": " << note << Qt::endl;
        else
            tool.out << native(folder) << ": no " << kParGenFile << ", " << note << Qt::endl;
        return kExitOk;
    }
    if (!saveParameterFile(parGen, imported.values, &error, &kept))
        return tool.fail(kExitUsage, error);
    warnOfKeptCopy(tool, parGen, kept);
    tool.out << native(parGen) << Qt::endl;
    return kExitOk;
}

namespace {

// One side of a diff: a configuration, a parameter file or an image.
struct DiffSide {
    QString path;                  // the parameter file, or the image
    bool isImage = false;
    std::optional<QByteArray> parGen; // a file side's parameter file; nothing where it has none
    ImageImport read;              // what the side holds; an image's is all it tells
};

// A parameter file begins with markup; an image with its fixed value.
bool looksLikeXml(const QByteArray &bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && QChar::isSpace(uchar(bytes.at(i))))
        ++i;
    return i < bytes.size() && bytes.at(i) == '<';
}

bool readSide(const ToolContext &tool, const QString &argument, DiffSide *side, QString *error)
{
    side->path = tool.parameterFileOf(argument);
    if (!QFileInfo::exists(side->path))
        return true; // a configuration without a parameter file
    QByteArray bytes;
    if (!readWholeFile(side->path, &bytes, error))
        return false;
    if (looksLikeXml(bytes)) {
        side->parGen = bytes;
        return true;
    }
    side->isImage = true;
    if (!importImage(bytes, &side->read, error)) {
        *error = native(side->path) + QStringLiteral(": ") + *error;
        return false;
    }
    return true;
}

// A file side read as the editor loads it, or, against an image, as the image it composes.
bool readFileSide(DiffSide *side, bool againstImage, QString *error)
{
    ImageImport &read = side->read;
    read.hasParameterFile = side->parGen.has_value();
    read.values = defaultParameterValues();
    read.told.reset();
    if (againstImage) {
        QByteArray image;
        return composeImage(side->parGen, side->path, &image, error) && importImage(image, &read, error);
    }
    if (!side->parGen)
        return true;
    QDomDocument doc = newXmlDocument();
    if (!parseXml(*side->parGen, side->path, &doc, error))
        return false;
    read.values = parameterValuesFromXml(doc);
    read.told.set();
    return true;
}

// Values with blanks at an end, or none at all, are quoted so that they show.
QString diffValue(const ParameterDef &def, const QString &value, const TextTable &texts)
{
    const QString shown = shownValue(def, value, texts);
    if (shown.isEmpty() || shown.front() == u' ' || shown.back() == u' ')
        return u'"' + shown + u'"';
    return shown;
}

} // namespace

int cmdDiff(ToolContext &tool)
{
    tool.expectArguments(2, "two configurations, parameter files or images");
    DiffSide a;
    DiffSide b;
    QString error;
    try {
        if (!readSide(tool, tool.line.arguments.at(0), &a, &error) || !readSide(tool, tool.line.arguments.at(1), &b, &error))
            return tool.fail(kExitUsage, error);
    } catch (const Refusal &refusal) {
        // Exit code 1 would say "different".
        return tool.fail(kExitUsage, refusal.message);
    }
    const bool againstImage = a.isImage || b.isImage;
    for (DiffSide *side : {&a, &b}) {
        if (!side->isImage && !readFileSide(side, againstImage, &error))
            return tool.fail(kExitUsage, error);
    }

    QStringList lines;
    const auto present = [](const DiffSide &side) {
        return side.read.hasParameterFile ? QStringLiteral("present") : QStringLiteral("none");
    };
    if (a.read.hasParameterFile != b.read.hasParameterFile)
        lines << QStringLiteral("%1: %2 -> %3").arg(kParGenFile, present(a), present(b));
    for (const ParameterDef &def : parameterSet()) {
        // What either side cannot tell is no difference.
        if (!a.read.told[def.id] || !b.read.told[def.id] || a.read.values[def.id] == b.read.values[def.id])
            continue;
        lines << QStringLiteral("%1: %2 -> %3")
                     .arg(def.key, diffValue(def, a.read.values[def.id], tool.state.Text_Table),
                          diffValue(def, b.read.values[def.id], tool.state.Text_Table));
    }
    for (const QString &line : lines)
        tool.out << line << Qt::endl;
    // As diff does: 1 says that the sides differ.
    return lines.isEmpty() ? kExitOk : 1;
}

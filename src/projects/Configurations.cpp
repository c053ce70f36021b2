#include "projects/Configurations.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/Names.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "core/TextIndex.h"
#include "core/XmlLookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

int messageIndex(NewConfigurationResult result)
{
    switch (result) {
    case NewConfigurationResult::Created:
        return -1;
    case NewConfigurationResult::EmptyName:
        return Txt::ErrNameEmpty;
    case NewConfigurationResult::Exists:
        return Txt::ErrNameExists;
    case NewConfigurationResult::NotCreatable:
        break;
    }
    return Txt::ErrNameNotCreatable;
}

namespace {
// The rules on the name alone, before the file system has a say.
NewConfigurationResult nameVerdict(const QString &name)
{
    if (name.isEmpty())
        return NewConfigurationResult::EmptyName;
    // Checked before existence: "." and ".." always exist, and "a/b" would land inside "a".
    if (!isPlainName(name) || !systemKeepsFolderName(name))
        return NewConfigurationResult::NotCreatable;
    return NewConfigurationResult::Created;
}
} // namespace

NewConfigurationResult newConfigurationVerdict(const QString &dirProjects, const QString &name)
{
    if (const NewConfigurationResult verdict = nameVerdict(name); verdict != NewConfigurationResult::Created)
        return verdict;
    const QFileInfo folder(joinPath(dirProjects, name));
    if (folder.isDir())
        return NewConfigurationResult::Exists;
    constexpr qsizetype kMaxFolderNameBytes = 255;
    if (folder.exists() || QFile::encodeName(name).size() > kMaxFolderNameBytes)
        return NewConfigurationResult::NotCreatable;
    return NewConfigurationResult::Created;
}

NewConfigurationResult createConfiguration(const QString &dirProjects, const QString &name)
{
    if (const NewConfigurationResult verdict = nameVerdict(name); verdict != NewConfigurationResult::Created)
        return verdict;
    // mkdir itself refuses a name that is taken; only then is the file system asked why.
    if (!QDir(dirProjects).mkdir(name)) {
        const NewConfigurationResult verdict = newConfigurationVerdict(dirProjects, name);
        return verdict == NewConfigurationResult::Created ? NewConfigurationResult::NotCreatable : verdict;
    }
    QDir().mkpath(joinPath(joinPath(dirProjects, name), kBinFolder));
    return NewConfigurationResult::Created;
}

QStringList portabilityWarnings(const QString &dirProjects, const QString &name)
{
    QStringList warnings;
    const QString key = folderKey(name);
    for (const QString &other : Load_Existing_Configuration(dirProjects)) {
        if (other != name && folderKey(other) == key)
            warnings << sameFolderMessage(name, other);
    }
    if (const QString problem = windowsNameProblem(name); !problem.isEmpty())
        warnings << problem;
    return warnings;
}

bool isConfigurationFolder(const QString &dirProjects, const QString &name)
{
    const QString folder = joinPath(dirProjects, name);
    return QFileInfo(folder).isDir() && isInsideFolder(folder, dirProjects);
}

void activateConfiguration(AppState &state, const QString &name)
{
    state.Project_Name = name;
    state.Project_Dir = joinPath(state.Dir_Projects, name);
    Set_Files(state);
}

QStringList Load_Existing_Configuration(const QString &dirProjects)
{
    // Without QDir::Hidden the listing leaves out hidden folders, on Linux those named ".…".
    QStringList names = QDir(dirProjects).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    // A name XML cannot hold could never be remembered in the settings file, and a name whose
    // bytes are not UTF-8 does not lead back to its folder: neither is offered.
    names.removeIf([&](const QString &name) { return !isXmlText(name) || !isConfigurationFolder(dirProjects, name); });
    sortNaturally(names);
    return names;
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Compares two runs of digits by value, without converting them (a run may be any length).
int compareDigitRuns(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int compareNatural(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isAsciiDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isAsciiDigit(b[endB]))
                ++endB;
            if (int c = compareDigitRuns(QStringView(a).mid(i, endA - i), QStringView(b).mid(j, endB - j)))
                return c;
            i = endA;
            j = endB;
            continue;
        }
        const char16_t ca = a[i].toCaseFolded().unicode();
        const char16_t cb = b[j].toCaseFolded().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

bool naturalLess(const QString &a, const QString &b)
{
    const int c = compareNatural(a, b);
    return c != 0 ? c < 0 : a < b;
}

void sortNaturally(QStringList &names)
{
    std::sort(names.begin(), names.end(), naturalLess);
}

namespace {

QString asciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}

} // namespace

int Search_Open_Conf(const QStringList &SL, const QString &snc)
{
    const QString key = asciiUpper(snc);
    for (int i = 0; i < SL.size(); ++i) {
        if (asciiUpper(SL[i]) == key)
            return i;
    }
    return -1;
}

QString configurationNameOf(const QString &dirProjects, const QString &projectDir)
{
    if (projectDir.isEmpty())
        return QString();
    return projectDir.mid(dirProjects.size() + 1);
}

int preselectedIndex(const QStringList &SL, const QString &currentName)
{
    const int index = Search_Open_Conf(SL, currentName);
    if (index >= 0)
        return index;
    return SL.isEmpty() ? -1 : 0;
}

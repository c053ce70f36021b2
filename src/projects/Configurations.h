#pragma once

#include <QString>
#include <QStringList>

struct AppState;

// The rules on configuration folders, shared by the dialogs and the command-line tool.

enum class NewConfigurationResult {
    Created,
    EmptyName,    // Txt::ErrNameEmpty
    Exists,       // Txt::ErrNameExists
    NotCreatable, // Txt::ErrNameNotCreatable
};

// Index in Text_Table of the message that refuses a name; -1 for Created.
int messageIndex(NewConfigurationResult result);

// Per system (Configurations_posix.cpp, Configurations_win.cpp): whether a folder made under
// this name keeps it. Windows drops a final blank or dot, takes a device's name (CON, NUL, ...)
// for the device, and refuses <>:"|?*.
bool systemKeepsFolderName(const QString &name);

// What createConfiguration would answer, without creating anything: Created when the name may
// be created. Beyond the three rules it foresees what the file system would refuse (a file of
// that name, a name longer than a folder name may be), so that a plan can be checked whole.
NewConfigurationResult newConfigurationVerdict(const QString &dirProjects, const QString &name);

// Checks `name` as typed (not trimmed) and creates its folder with the `bin` folder inside.
// A `bin` folder that cannot be created is not reported: the image write reports it later.
NewConfigurationResult createConfiguration(const QString &dirProjects, const QString &name);

// What a new configuration of this name would meet where configurations are copied: another
// configuration that Windows or macOS take for the same folder, or a name Windows cannot hold.
// Messages for a warning; none when the name travels well.
QStringList portabilityWarnings(const QString &dirProjects, const QString &name);

// Whether `name` is a configuration of the workspace: its folder under `dirProjects` exists and,
// links followed, stays inside it. A folder that leads out is never read, written or offered.
bool isConfigurationFolder(const QString &dirProjects, const QString &name);

// Makes `name` the active configuration: Project_Name, Project_Dir, ParGen_File.
void activateConfiguration(AppState &state, const QString &name);

// The configurations directly under `dirProjects` (no files, no hidden folders, no name that XML
// cannot hold or that does not lead back to its folder, no folder that leads out), in natural order.
QStringList Load_Existing_Configuration(const QString &dirProjects);

// Orders ignoring case, with runs of digits by their value ("Plant 2" before "Plant 10").
// Names equal that way keep a fixed order by their exact text.
bool naturalLess(const QString &a, const QString &b);
void sortNaturally(QStringList &names);

// Index of `snc` in `SL`, matching whole names with ASCII letters in either case; the first
// match wins; -1 when none matches.
int Search_Open_Conf(const QStringList &SL, const QString &snc);

// The configuration name in `projectDir`, a folder under `dirProjects`; empty when none is active.
QString configurationNameOf(const QString &dirProjects, const QString &projectDir);

// The item the open dialog selects: the active configuration, else the first; -1 for an empty list.
int preselectedIndex(const QStringList &SL, const QString &currentName);

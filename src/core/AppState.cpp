#include "core/AppState.h"

#include "core/Constants.h"

#include <QDir>
#include <QFileInfo>

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

void setWorkspace(AppState &state, const QString &dirExe)
{
    QString dir = dirExe;
    while (dir.size() > 1 && (dir.endsWith(u'/') || dir.endsWith(QDir::separator())))
        dir.chop(1);
    state.Dir_Exe = dir;
    state.Dir_Master = joinPath(dir, kMasterFolder);
    state.Dir_Projects = joinPath(dir, kProjectsFolder);
    state.Dir_Language = joinPath(dir, kLanguageFolder);
}

void createWorkspaceFolders(const AppState &state)
{
    for (const QString &folder : {state.Dir_Master, state.Dir_Projects, state.Dir_Language}) {
        if (!QFileInfo::exists(folder))
            QDir().mkdir(folder);
    }
}

void setSettingsFallbacks(AppState &state)
{
    state.Project_Name.clear();
    state.Project_Dir.clear();
    state.Device_IP_Address = kDefaultIpAddress;
    state.Language_Name = kDefaultLanguage;
    state.Enable_Internet = false;
    state.Enable_Update = false;
    state.Jump_Field_Tables = false;
    state.Auto_Size_Columns = false;
}

void Set_Files(AppState &state)
{
    state.ParGen_File = joinPath(state.Project_Dir, kParGenFile);
}

bool isProjectActive(const AppState &state)
{
    return !state.Project_Dir.isEmpty();
}

QString resolveWorkspace(const QStringList &arguments, const QString &executableDir, const QString &userDataDir)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--workspace" && i + 1 < arguments.size())
            return QDir(arguments.at(i + 1)).absolutePath();
        if (arg.startsWith(u"--workspace="))
            return QDir(arg.mid(12)).absolutePath();
    }
    const QString fromEnv = qEnvironmentVariable("KV40812_WORKSPACE");
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    if (isWritableFolder(executableDir) || userDataDir.isEmpty())
        return executableDir;
    return userDataDir;
}

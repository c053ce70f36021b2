#include "core/AppState.h"

#include "core/Constants.h"
#include "core/Paths.h"

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
    state.ParGen_File = parameterFilePathIn(state.Project_Dir);
}

bool isProjectActive(const AppState &state)
{
    return !state.Project_Dir.isEmpty();
}

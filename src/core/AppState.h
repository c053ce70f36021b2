#pragma once

#include "core/TextTable.h"

#include <QByteArray>
#include <QString>

// The values every window reads and writes. main() owns one; tests make their own.
struct AppState {
    QString Dir_Exe;
    QString Dir_Master;
    QString Dir_Projects;
    QString Dir_Language;

    QString Project_Name;
    QString Project_Dir; // a configuration is active exactly when this is not empty
    QString ParGen_File;

    QString Device_IP_Address;
    int Update_Option = 0;
    bool Update_Read_Back = false;

    QString Language_Name;
    bool Enable_Internet = false;
    bool Enable_Update = false;
    bool Jump_Field_Tables = false;
    bool Auto_Size_Columns = false;

    QString Main_Title;
    QString SW_Code;
    QString SW_Desc;

    TextTable Text_Table;

    // The last composed configuration image; only the first Image_Length bytes count.
    QByteArray Image_Buffer;
    qint32 Image_Length = 0;

    QString text(int index) const { return Text_Table.text(index); }
};

// The values a first start has before the settings file is read.
void setSettingsFallbacks(AppState &state);

// ParGen_File follows Project_Dir.
void Set_Files(AppState &state);

bool isProjectActive(const AppState &state);

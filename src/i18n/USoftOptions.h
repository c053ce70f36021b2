#pragma once

#include "widgets/StyledDialog.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class ClickableLabel;
class QCheckBox;
class QLabel;
class QTabWidget;
class StyledButton;

// The software options: language, internet connection and update check, table preferences.
class TFSoftOptions : public StyledDialog {
    Q_OBJECT
public:
    TFSoftOptions(AppState &state, Services &services, QWidget *parent = nullptr);
    ~TFSoftOptions() override;

    void Set_Lang();
    void Create_Lang_List();
    void Update_Lang_Page(int Num_Page);
    void Update_CheckBox();
    void LangClick(int slot); // slot 1 to 6
    void Btn_NextClick(QObject *sender);
    void Btn_Check_UpdateClick();
    void Btn_OKClick();

    // The main window's Change_Language: every window takes its texts again.
    std::function<void()> changeLanguage;

    QStringList SL_Languages;
    int Show_Page = 1;
    QString Language_In_Use;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void createControls();
    void showSlot(int index, const QString &fileName);
    bool loadLanguageFor(const QString &name, QString *error);
    void abandonCheck();
    void versionCheckFinished(bool newer);

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QTabWidget *PC_Options = nullptr;
    QWidget *TS_Language = nullptr;
    QWidget *TS_Con_Options = nullptr;
    QWidget *TS_Soft_Settings = nullptr;
    QLabel *L_Sel_Lang = nullptr;
    ClickableLabel *I_L[6] = {};
    ClickableLabel *L_L[6] = {};
    StyledButton *Btn_Prev = nullptr;
    StyledButton *Btn_Next = nullptr;
    QLabel *L_Page_Lang = nullptr;
    QCheckBox *CB_En_Con = nullptr;
    QCheckBox *CB_Update = nullptr;
    StyledButton *Btn_Check_Update = nullptr;
    QLabel *LL_Check_Update = nullptr;
    QCheckBox *CB_Soft_Set_Jump_Table = nullptr;
    QCheckBox *CB_DoubleClick_Auto_Size = nullptr;
    StyledButton *Btn_OK = nullptr;
    StyledButton *Btn_Cancel = nullptr;

    // The check button's request runs on a worker thread; one at a time.
    bool m_checkRunning = false;
    int m_checkGeneration = 0; // a check started before the last opening is ignored
    std::shared_ptr<std::atomic_bool> m_cancelCheck;
};

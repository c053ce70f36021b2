#pragma once

#include "update/Updater.h"

#include <QWidget>

#include <atomic>
#include <memory>

class QLabel;
class QTimer;
template <typename T> class QFutureWatcher;
class StyledButton;
class TFAbout;
class TFBoot;
class TFNew_Project;
class TFOpenConf;
class TFParGen;
class TFSoftOptions;
struct AppState;
struct Services;

// The main window: the three steps, the header buttons, and the start-up of the program.
class TFZentreleFirmWare : public QWidget {
    Q_OBJECT
public:
    TFZentreleFirmWare(AppState &state, Services &services);
    ~TFZentreleFirmWare() override;

    // The other six windows, created after this one (the start-up needs none of them).
    void setWindows(TFNew_Project *newProject, TFOpenConf *openConf, TFAbout *about,
                    TFSoftOptions *softOptions, TFParGen *parGen, TFBoot *boot);

    void Btn_Click(QObject *sender);
    void Create_New_Project();
    void Open_Project();
    void Update_Device();
    void Set_Files();
    bool Save_Setting();
    void Set_Lang();
    void Change_Language();
    void Timer_UpdateTimer();
    // Starts a program and waits until it ends or the updater limit passes; the windows repaint
    // but take no input meanwhile. A program that cannot start is reported (Txt::UpdaterNotStarted).
    bool Start_Program(const QString &NomeSW, const QString &Parameter, bool tipo);

    // Switches the version-check timer on while both internet flags are set; a running
    // timer keeps its countdown, and while a check runs its end applies the rule.
    void applyTimerRule();

    QTimer *Timer_Update = nullptr;

    TFNew_Project *FNew_Project = nullptr;
    TFOpenConf *FOpenConf = nullptr;
    TFAbout *FAbout = nullptr;
    TFSoftOptions *FSoftOptions = nullptr;
    TFParGen *FParGen = nullptr;
    TFBoot *FBoot = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override; // FormClose

private:
    void FormCreate();
    void createControls();
    void showActiveConfiguration();
    void openUrl(const QString &url);
    void versionCheckFinished();
    void showUpdateLink();

    AppState &m_state;
    Services &m_services;
    ProgramLauncher m_launcher;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *LL_Update = nullptr;
    StyledButton *Btn_Info = nullptr;
    StyledButton *Btn_Opz = nullptr;
    StyledButton *Btn_Close = nullptr;
    QLabel *L_Begin = nullptr;
    QLabel *L_Name_Conf = nullptr;
    QLabel *L_Name_Conf_L2 = nullptr;
    QLabel *L_Step[9] = {};
    StyledButton *Btn_New = nullptr;
    StyledButton *Btn_Open = nullptr;
    StyledButton *Btn_Prm_Gen = nullptr;
    StyledButton *Btn_CreateBin = nullptr;
    QLabel *L_Norvexa = nullptr;

    // The timer's check runs on a worker thread; the window never waits for it.
    QFutureWatcher<bool> *m_versionCheck = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancelCheck;
};

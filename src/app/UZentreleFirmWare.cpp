#include "app/UZentreleFirmWare.h"

#include "app/Settings.h"
#include "app/UAbout.h"
#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/Constants.h"
#include "core/Names.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/TextIndex.h"
#include "core/Workspace.h"
#include "core/XmlLookup.h"
#include "i18n/Language.h"
#include "i18n/USoftOptions.h"
#include "i18n/VersionCheck.h"
#include "params/ConfigImage.h"
#include "params/UParGen.h"
#include "projects/Configurations.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "update/UBoot.h"
#include "widgets/ClickableLabel.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QFutureWatcher>
#include <QLabel>
#include <QTimer>

namespace {
constexpr QColor kSilver(192, 192, 192);
constexpr int kFirstCheckMs = 60000;
constexpr int kPeriodicCheckMs = 7200000;
}

TFZentreleFirmWare::TFZentreleFirmWare(AppState &state, Services &services)
    : QWidget(nullptr), m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("TFZentreleFirmWare"));
    FormCreate();
}

TFZentreleFirmWare::~TFZentreleFirmWare()
{
    // Lets a running check end at once rather than hold the program's exit for its time-out.
    if (m_cancelCheck)
        m_cancelCheck->store(true);
}

void TFZentreleFirmWare::setWindows(TFNew_Project *newProject, TFOpenConf *openConf, TFAbout *about,
                                    TFSoftOptions *softOptions, TFParGen *parGen, TFBoot *boot)
{
    FNew_Project = newProject;
    FOpenConf = openConf;
    FAbout = about;
    FSoftOptions = softOptions;
    FParGen = parGen;
    FBoot = boot;
    FBoot->startProgram = [this](const QString &NomeSW, const QString &Parameter, bool tipo) {
        Start_Program(NomeSW, Parameter, tipo);
    };
}

void TFZentreleFirmWare::FormCreate()
{
    m_state.Text_Table = TextTable();
    createControls();

    setWorkspace(m_state, m_state.Dir_Exe);
    createWorkspaceFolders(m_state);

    m_state.Project_Name.clear();
    QString error;
    if (!readSettings(m_state, &error)) {
        // A damaged settings file must not stop the program: say so and go on with the fall-backs.
        setSettingsFallbacks(m_state);
        if (entryKind(settingsFilePath(m_state)) == EntryKind::File)
            error += QStringLiteral("\n\n") + unreadableCopyNote(settingsFilePath(m_state));
        m_services.messages->generalError(this, error);
    }

    m_versionCheck = new QFutureWatcher<bool>(this);
    connect(m_versionCheck, &QFutureWatcher<bool>::finished, this, &TFZentreleFirmWare::versionCheckFinished);
    Timer_Update = new QTimer(this);
    Timer_Update->setObjectName(QStringLiteral("Timer_Update"));
    Timer_Update->setInterval(kFirstCheckMs);
    connect(Timer_Update, &QTimer::timeout, this, &TFZentreleFirmWare::Timer_UpdateTimer);
    applyTimerRule();

    m_state.Main_Title = kMainTitle;
    m_state.SW_Code = kSwCode;
    m_state.SW_Desc = kSwDesc;
    setWindowTitle(m_state.Main_Title);
    setCaption(L_SW_Code, m_state.SW_Code);
    setCaption(L_SW_Desc, m_state.SW_Desc);

    if (!Load_Language(m_state, &error))
        m_services.messages->generalError(this, error);

    // The settings file may have been written by anyone: a name that is no folder directly under
    // PROJECTS ("../x"), or a folder that leads out of it, makes nothing active, as a missing folder does.
    m_state.Project_Dir = isPlainName(m_state.Project_Name) && isConfigurationFolder(m_state.Dir_Projects, m_state.Project_Name)
                              ? joinPath(m_state.Dir_Projects, m_state.Project_Name)
                              : QString();

    Set_Lang();
    Set_Files();
}

void TFZentreleFirmWare::createControls()
{
    applyLook(this);
    makeFixedWindow(this, 694, 352);

    const QFont bold = lookFont(8, true);
    L_SW_Code = addLabel(this, QStringLiteral("L_SW_Code"), 16, 8, lookFont(24), kHeaderGrey);
    L_SW_Desc = addLabel(this, QStringLiteral("L_SW_Desc"), 16, 42, bold, kHeaderGrey);

    LL_Update = new QLabel(this);
    LL_Update->setObjectName(QStringLiteral("LL_Update"));
    LL_Update->setGeometry(208, 19, 294, 17);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setTextInteractionFlags(Qt::TextBrowserInteraction);
    LL_Update->setOpenExternalLinks(false);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, &TFZentreleFirmWare::openUrl);

    Btn_Info = new StyledButton(this, QStringLiteral("Btn_Info"), QRect(516, 8, 50, 50), Picture::Information, 32);
    Btn_Opz = new StyledButton(this, QStringLiteral("Btn_Opz"), QRect(574, 8, 50, 50), Picture::Options, 32);
    Btn_Close = new StyledButton(this, QStringLiteral("Btn_Close"), QRect(632, 8, 50, 50), Picture::Close, 32);

    L_Begin = addLabel(this, QStringLiteral("L_Begin"), 16, 84, bold, kHeaderGrey);
    addBox(this, QStringLiteral("Shape2"), QRect(80, 70, 348, 36), kSilver);
    L_Name_Conf = addLabel(this, QStringLiteral("L_Name_Conf"), 87, 75, lookFont(), kTextGrey);
    L_Name_Conf_L2 = addLabel(this, QStringLiteral("L_Name_Conf_L2"), 87, 88, lookFont(), kTextGrey);

    const int stepTops[9] = {0, 128, 172, 216, 260, 304, 348, 392, 436};
    for (int i = 1; i <= 8; ++i) {
        L_Step[i] = addLabel(this, QStringLiteral("L_Step_%1").arg(i), 16, stepTops[i], bold, kHeaderGrey);
        L_Step[i]->setVisible(i <= 3);
    }

    Btn_New = new StyledButton(this, QStringLiteral("Btn_New"), QRect(80, 112, 170, 36), Picture::NewConfiguration, 24);
    Btn_New->setCaptionLeftAligned(true);
    Btn_Open = new StyledButton(this, QStringLiteral("Btn_Open"), QRect(258, 112, 170, 36), Picture::OpenConfiguration, 24);
    Btn_Prm_Gen = new StyledButton(this, QStringLiteral("Btn_Prm_Gen"), QRect(80, 156, 170, 36), Picture::SetCommunication, 24);
    Btn_CreateBin = new StyledButton(this, QStringLiteral("Btn_CreateBin"), QRect(80, 200, 170, 36), Picture::UpdateDevice, 24);

    auto *norvexa = new ClickableLabel(this);
    norvexa->setObjectName(QStringLiteral("L_Norvexa"));
    norvexa->setFont(bold);
    QPalette palette = norvexa->palette();
    palette.setColor(QPalette::WindowText, kHeaderGrey);
    norvexa->setPalette(palette);
    norvexa->setCursor(Qt::PointingHandCursor);
    norvexa->move(565, 216);
    setCaption(norvexa, kWebAddressShown);
    connect(norvexa, &ClickableLabel::clicked, this, [this] { openUrl(homePageUrl()); });
    L_Norvexa = norvexa;

    addLine(this, QRect(10, 251, 674, 1), kSilver)->setObjectName(QStringLiteral("Shape1"));

    for (StyledButton *button : {Btn_Info, Btn_Opz, Btn_Close, Btn_New, Btn_Open, Btn_Prm_Gen, Btn_CreateBin})
        connect(button, &StyledButton::clicked, this, [this, button] { Btn_Click(button); });
}

void TFZentreleFirmWare::Btn_Click(QObject *sender)
{
    if (sender == Btn_New) {
        Create_New_Project();
    } else if (sender == Btn_Open) {
        Open_Project();
    } else if (sender == Btn_Close) {
        close();
    } else if (sender == Btn_Info) {
        FAbout->exec();
    } else if (sender == Btn_Opz) {
        if (FSoftOptions->exec() == QDialog::Accepted) {
            Save_Setting();
            applyTimerRule();
        }
    } else if (!isProjectActive(m_state)) {
        m_services.messages->error(this, m_state.text(Txt::ProjectNotValid));
    } else if (sender == Btn_Prm_Gen) {
        FParGen->exec();
    } else if (sender == Btn_CreateBin) {
        Update_Device();
    }
}

void TFZentreleFirmWare::Create_New_Project()
{
    if (FNew_Project->exec() == QDialog::Accepted)
        showActiveConfiguration();
}

void TFZentreleFirmWare::Open_Project()
{
    if (FOpenConf->exec() != QDialog::Accepted)
        return;
    // An empty choice (an empty projects folder) would make the projects folder itself the
    // configuration; treat it as a cancel.
    if (FOpenConf->Name_Conf.isEmpty())
        return;
    activateConfiguration(m_state, FOpenConf->Name_Conf);
    showActiveConfiguration();
}

void TFZentreleFirmWare::Update_Device()
{
    // The updater must never be sent an old image while the user believes a new one was written.
    QString error;
    {
        // The image is composed from the parameter file that another run may be writing.
        ConfigurationLock lock(m_state.Project_Dir);
        if (!lock.acquire(&error, m_services.lockWaitMs) || !Compose_Image(m_state, &error) || !Save_Image(m_state, &error)) {
            m_services.messages->generalError(this, error);
            return;
        }
    }
    FBoot->Form_Type = 1;
    FBoot->exec();
}

void TFZentreleFirmWare::Set_Files()
{
    ::Set_Files(m_state);
}

bool TFZentreleFirmWare::Save_Setting()
{
    QString error;
    if (::Save_Setting(m_state, &error))
        return true;
    m_services.messages->generalError(this, error);
    return false;
}

void TFZentreleFirmWare::showActiveConfiguration()
{
    if (isProjectActive(m_state)) {
        setCaption(L_Name_Conf, m_state.text(Txt::OpenedConfiguration));
        setCaption(L_Name_Conf_L2, m_state.Project_Name);
    } else {
        setCaption(L_Name_Conf, m_state.text(Txt::NoConfigurationOpened));
        setCaption(L_Name_Conf_L2, m_state.text(Txt::UseStep1ToOpen));
    }
}

void TFZentreleFirmWare::Set_Lang()
{
    setCaption(L_Begin, m_state.text(Txt::Begin));
    for (int i = 1; i <= 8; ++i)
        setCaption(L_Step[i], m_state.text(Txt::Step1 - 1 + i));
    Btn_Info->setToolTip(m_state.text(Txt::InfoButtonHint));
    Btn_Opz->setToolTip(m_state.text(Txt::OptionsButtonHint));
    Btn_Close->setToolTip(m_state.text(Txt::CloseButtonHint));
    // The picture buttons have no caption: a screen reader names them by their hints.
    for (StyledButton *button : {Btn_Info, Btn_Opz, Btn_Close})
        button->setAccessibleName(button->toolTip());
    Btn_New->setText(m_state.text(Txt::NewConfigurationCaption));
    Btn_Open->setText(m_state.text(Txt::OpenConfigurationCaption));
    Btn_CreateBin->setText(m_state.text(Txt::UpdateDeviceCaption));
    Btn_Prm_Gen->setText(m_state.text(Txt::SetCommunicationCaption));
    Btn_New->setToolTip(m_state.text(Txt::NewConfigurationHint));
    Btn_Open->setToolTip(m_state.text(Txt::OpenConfigurationHint));
    Btn_Prm_Gen->setToolTip(m_state.text(Txt::SetCommunicationHint));
    Btn_CreateBin->setToolTip(m_state.text(Txt::UpdateDeviceHint));
    showActiveConfiguration();
    if (!LL_Update->isHidden())
        showUpdateLink();
}

void TFZentreleFirmWare::showUpdateLink()
{
    setLinkCaption(LL_Update, downloadPageUrl(), m_state.text(Txt::NewVersionAvailable));
    LL_Update->show();
}

void TFZentreleFirmWare::Change_Language()
{
    Set_Lang();
    if (FBoot)
        FBoot->Set_Lang();
    if (FNew_Project)
        FNew_Project->Set_Lang();
    if (FOpenConf)
        FOpenConf->Set_Lang();
    if (FSoftOptions)
        FSoftOptions->Set_Lang();
    if (FParGen)
        FParGen->Set_Lang();
}

void TFZentreleFirmWare::applyTimerRule()
{
    if (m_versionCheck->isRunning())
        return;
    if (m_state.Enable_Internet && m_state.Enable_Update) {
        if (!Timer_Update->isActive())
            Timer_Update->start();
    } else {
        Timer_Update->stop();
    }
}

void TFZentreleFirmWare::Timer_UpdateTimer()
{
    Timer_Update->stop();
    if (m_versionCheck->isRunning())
        return;
    const VersionCheckRequest request;
    m_cancelCheck = request.cancelled;
    m_versionCheck->setFuture(startVersionCheck(request));
}

void TFZentreleFirmWare::versionCheckFinished()
{
    if (m_versionCheck->result())
        showUpdateLink();
    else
        LL_Update->hide();
    Timer_Update->setInterval(kPeriodicCheckMs);
    // The flags may have changed in the options window while the check ran.
    applyTimerRule();
}

bool TFZentreleFirmWare::Start_Program(const QString &NomeSW, const QString &Parameter, bool tipo)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // tipo 0 shows the program's window.
    const ProgramLauncher::Result result =
        m_launcher.run(NomeSW, Parameter, m_services.updaterWaitMs, updaterLogPath(m_state.Dir_Exe), !tipo);
    QApplication::restoreOverrideCursor();
    if (result.outcome != ProgramLauncher::Outcome::NotStarted)
        return true;
    QWidget *parent = QApplication::activeModalWidget();
    m_services.messages->error(parent ? parent : this, m_state.text(Txt::UpdaterNotStarted));
    return false;
}

void TFZentreleFirmWare::openUrl(const QString &url)
{
    if (m_services.openUrl)
        m_services.openUrl(QUrl(url));
}

void TFZentreleFirmWare::closeEvent(QCloseEvent *event)
{
    // A settings file that cannot be written is reported once; the program still closes.
    Save_Setting();
    event->accept();
}

#include "update/UBoot.h"

#include "core/AppState.h"
#include "core/Ipv4.h"
#include "core/TextIndex.h"
#include "update/DeviceCheck.h"
#include "update/Pinger.h"
#include "update/UpdateJob.h"
#include "update/Updater.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

namespace {
constexpr int kClientWidth = 449;
constexpr int kTitleBand = 69;
constexpr int kAddressBand = 49;
constexpr int kOptionsBand = 72;
constexpr int kButtonBand = 40;

QWidget *addBand(QWidget *parent, const QString &name, int top, int height)
{
    auto *band = new QWidget(parent);
    band->setObjectName(name);
    band->setGeometry(0, top, kClientWidth, height);
    return band;
}
} // namespace

TFBoot::TFBoot(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFBoot"));
    createControls();
    Set_Lang();
}

void TFBoot::createControls()
{
    makeFixedWindow(this, kClientWidth, kTitleBand + kAddressBand + kOptionsBand + kButtonBand);

    const Header header = addHeader(this, kClientWidth);
    L_SW_Code = header.swCode;
    L_SW_Desc = header.swDesc;

    QWidget *address = addBand(this, QStringLiteral("P_IP_Address"), kTitleBand, kAddressBand);
    L_IP_Address = addLabel(address, QStringLiteral("L_IP_Address"), 16, 4);
    const int editLefts[4] = {35, 91, 147, 203};
    const int dotLefts[3] = {83, 139, 193};
    for (int i = 0; i < 4; ++i) {
        E_IP[i] = new QLineEdit(QStringLiteral("0"), address);
        E_IP[i]->setObjectName(QStringLiteral("E_IP%1").arg(i + 1));
        E_IP[i]->setGeometry(editLefts[i], 23, 41, 21);
        E_IP[i]->installEventFilter(this);
        if (i < 3)
            setCaption(addLabel(address, QStringLiteral("Label%1").arg(i + 2), dotLefts[i], 31), QStringLiteral("."));
    }
    L_Status = addLabel(address, QStringLiteral("L_Status"), 256, 27, lookFont(), kTextGrey);

    QWidget *options = addBand(this, QStringLiteral("P_Update_Options"), kTitleBand + kAddressBand, kOptionsBand);
    L_Update_Option = addLabel(options, QStringLiteral("L_Update_Option"), 16, 4);
    CB_Update_Options = new QComboBox(options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    CB_Update_Options->setEditable(false);
    CB_Update_Options->setGeometry(35, 23, 382, 21);
    CB_Update_Option_Read_Back = new QCheckBox(options);
    CB_Update_Option_Read_Back->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
    CB_Update_Option_Read_Back->setGeometry(16, 50, 401, 17);

    QWidget *buttons = addButtonPanel(this, kTitleBand + kAddressBand + kOptionsBand, kClientWidth, kButtonBand);
    Btn_Cancel = new StyledButton(buttons, QStringLiteral("Btn_Cancel"), QRect(16, 6, 110, 28), Picture::Cancel);
    Btn_Update = new StyledButton(buttons, QStringLiteral("Btn_Update"), QRect(132, 6, 228, 28), Picture::UpdateDevice);
    connect(Btn_Cancel, &StyledButton::clicked, this, &TFBoot::reject);
    connect(Btn_Update, &StyledButton::clicked, this, &TFBoot::Btn_UpdateClick);

    setTabOrder(E_IP[0], E_IP[1]);
    setTabOrder(E_IP[1], E_IP[2]);
    setTabOrder(E_IP[2], E_IP[3]);
    setTabOrder(E_IP[3], CB_Update_Options);
    setTabOrder(CB_Update_Options, CB_Update_Option_Read_Back);
    setTabOrder(CB_Update_Option_Read_Back, Btn_Cancel);
    setTabOrder(Btn_Cancel, Btn_Update);
}

void TFBoot::Set_Lang()
{
    setWindowTitle(m_state.text(Txt::UpdateEthernetTitle));
    setCaption(L_SW_Desc, m_state.text(Txt::UpdateEthernetDesc));
    setCaption(L_IP_Address, m_state.text(Txt::UpdateIpAddressCaption));
    setCaption(L_Update_Option, m_state.text(Txt::UpdateOptionCaption));
    CB_Update_Options->clear();
    CB_Update_Options->addItems({m_state.text(Txt::UpdateFirmwareAndConfigurationItem), m_state.text(Txt::UpdateFirmwareItem),
                                 m_state.text(Txt::UpdateConfigurationItem)});
    CB_Update_Options->setCurrentIndex(0);
    CB_Update_Option_Read_Back->setText(m_state.text(Txt::UpdateReadBack));
    Btn_Cancel->setText(m_state.text(Txt::UpdateCancel));
    Btn_Update->setText(m_state.text(Txt::UpdateExecute));
    for (int i = 0; i < 4; ++i)
        E_IP[i]->setToolTip(m_state.text(Txt::UpdateIpAddress1Hint + i));
    nameAddressFields({E_IP[0], E_IP[1], E_IP[2], E_IP[3]}, m_state.text(Txt::UpdateIpAddressCaption));
    CB_Update_Options->setAccessibleName(m_state.text(Txt::UpdateOptionCaption));
    CB_Update_Options->setToolTip(m_state.text(Txt::UpdateOptionHint));
    CB_Update_Option_Read_Back->setToolTip(m_state.text(Txt::UpdateReadBackHint));
    Btn_Cancel->setToolTip(m_state.text(Txt::UpdateCancelHint));
    Btn_Update->setToolTip(m_state.text(Txt::UpdateExecuteHint));
}

void TFBoot::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    StyledDialog::showEvent(event);
}

void TFBoot::FormShow()
{
    Set_Lang();
    setCaption(L_SW_Code, m_state.SW_Code);
    showStatus(QString());

    QString parts[4];
    if (!m_state.Device_IP_Address.isEmpty()
        && Split_IP_Address(m_state.Device_IP_Address, parts[0], parts[1], parts[2], parts[3])) {
        for (int i = 0; i < 4; ++i)
            E_IP[i]->setText(parts[i]);
    }
    CB_Update_Options->setCurrentIndex(m_state.Update_Option);
    CB_Update_Option_Read_Back->setChecked(m_state.Update_Read_Back);
    E_IP[0]->setFocus();
}

bool TFBoot::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->text() == u".") {
        for (int i = 0; i < 4; ++i) {
            if (watched != E_IP[i])
                continue;
            // A dot moves on to the next number and is never part of one.
            if (i < 3 && E_IP[i + 1]->isEnabled() && E_IP[i + 1]->isVisible())
                E_IP[i + 1]->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return StyledDialog::eventFilter(watched, event);
}

void TFBoot::Btn_UpdateClick()
{
    if (m_checking)
        return; // a press during the running check
    m_checking = true;
    m_cancelRequested = false;
    showStatus(m_state.text(Txt::CheckingDevice));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool found = Send_Ping();
    QApplication::restoreOverrideCursor();
    showStatus(QString());
    m_checking = false;

    if (m_cancelRequested) {
        StyledDialog::reject();
        return;
    }
    if (!found) {
        if (ping_res == kPingNoReply)
            m_services.messages->warning(this, m_state.text(Txt::DeviceNotFound));
        else
            m_services.messages->error(this, m_state.text(Txt::ErrCheckIpAddress));
        return;
    }

    m_state.Device_IP_Address = typedAddressParts().join(u'.');
    m_state.Update_Option = CB_Update_Options->currentIndex();
    m_state.Update_Read_Back = CB_Update_Option_Read_Back->isChecked();
    QString error;
    if (!Compile_XML_Parameter(&error)) {
        m_services.messages->generalError(this, error);
        return;
    }
    if (startProgram) {
        showStatus(m_state.text(Txt::UpdatingDevice));
        startProgram(updaterProgramPath(m_state.Dir_Exe), QString(), false);
        showStatus(QString());
    }
}

bool TFBoot::Send_Ping()
{
    if (!m_services.pinger)
        return false;
    return checkDevice(*m_services.pinger, typedAddressParts().join(u'.'), ping_res,
                       [this] { return m_cancelRequested; });
}

bool TFBoot::Compile_XML_Parameter(QString *error)
{
    UpdateJob job;
    job.addressParts = typedAddressParts();
    job.option = CB_Update_Options->currentIndex();
    job.readBack = CB_Update_Option_Read_Back->isChecked();
    job.dirMaster = m_state.Dir_Master;
    job.projectDir = m_state.Project_Dir;
    return writeUpdateJob(m_state.Dir_Exe, job, error);
}

void TFBoot::reject()
{
    // Cancel and the close box during the check stop it; the window closes once it has ended.
    if (m_checking) {
        m_cancelRequested = true;
        return;
    }
    StyledDialog::reject();
}

QStringList TFBoot::typedAddressParts() const
{
    return {E_IP[0]->text(), E_IP[1]->text(), E_IP[2]->text(), E_IP[3]->text()};
}

void TFBoot::showStatus(const QString &text)
{
    setCaption(L_Status, text);
}

#include "projects/UNew_Project.h"

#include "core/AppState.h"
#include "core/TextIndex.h"
#include "projects/Configurations.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

TFNew_Project::TFNew_Project(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    FormCreate();
}

void TFNew_Project::FormCreate()
{
    constexpr int kWidth = 331;
    makeFixedWindow(this, kWidth, 162);

    const Header header = addHeader(this, kWidth);
    L_SW_Code = header.swCode;
    L_SW_Desc = header.swDesc;
    setCaption(L_SW_Code, m_state.SW_Code);

    Label1 = addLabel(this, QStringLiteral("Label1"), 16, 70);

    E_New_Proj = new QLineEdit(this);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    E_New_Proj->setGeometry(16, 94, 297, 21);
    // E_New_ProjKeyPress: Enter runs OK. No styled button is a default button, so the key,
    // passed on to the dialog, cannot run OK a second time.
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &TFNew_Project::Btn_OKClick);

    QWidget *buttons = addButtonPanel(this, 122, kWidth);
    Btn_OK = new StyledButton(buttons, QStringLiteral("Btn_OK"), QRect(85, 6, 110, 28), Picture::Ok);
    Btn_Cancel = new StyledButton(buttons, QStringLiteral("Btn_Cancel"), QRect(203, 6, 110, 28), Picture::Cancel);
    connect(Btn_OK, &StyledButton::clicked, this, &TFNew_Project::Btn_OKClick);
    connect(Btn_Cancel, &StyledButton::clicked, this, &TFNew_Project::reject);

    Set_Lang();
}

void TFNew_Project::showEvent(QShowEvent *event)
{
    StyledDialog::showEvent(event);
    if (event->spontaneous())
        return;
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void TFNew_Project::Btn_OKClick()
{
    const QString name = E_New_Proj->text();
    const NewConfigurationResult result = createConfiguration(m_state.Dir_Projects, name);
    if (result != NewConfigurationResult::Created) {
        m_services.messages->error(this, m_state.text(messageIndex(result)));
        return;
    }
    activateConfiguration(m_state, name);
    accept();
}

void TFNew_Project::Set_Lang()
{
    setWindowTitle(m_state.text(Txt::NewConfTitle));
    setCaption(L_SW_Desc, m_state.text(Txt::NewConfDesc));
    setCaption(Label1, m_state.text(Txt::NewConfNameCaption));
    Btn_OK->setText(m_state.text(Txt::NewConfOk));
    Btn_Cancel->setText(m_state.text(Txt::NewConfCancel));
    E_New_Proj->setToolTip(m_state.text(Txt::NewConfNameHint));
    E_New_Proj->setAccessibleName(m_state.text(Txt::NewConfNameCaption));
    Btn_OK->setToolTip(m_state.text(Txt::NewConfOkHint));
    Btn_Cancel->setToolTip(m_state.text(Txt::NewConfCancelHint));
}

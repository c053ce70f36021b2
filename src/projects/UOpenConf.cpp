#include "projects/UOpenConf.h"

#include "core/AppState.h"
#include "core/TextIndex.h"
#include "projects/Configurations.h"
#include "widgets/Look.h"
#include "widgets/StyledButton.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QShowEvent>

namespace {
constexpr int kMargin = 16;
constexpr int kListTop = 94;
constexpr int kPanelHeight = 40;
constexpr int kButtonWidth = 110;
constexpr int kButtonGap = 8;
}

TFOpenConf::TFOpenConf(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    FormCreate();
}

void TFOpenConf::FormCreate()
{
    // The one resizable window: minimise and maximise boxes besides the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Small enough to shrink, large enough that the list and the two buttons never overlap.
    setMinimumSize(2 * kMargin + 2 * kButtonWidth + kButtonGap, kListTop + 40 + kPanelHeight);

    const Header header = addHeader(this, 377);
    P_Title = header.panel;
    L_SW_Code = header.swCode;
    L_SW_Desc = header.swDesc;
    setCaption(L_SW_Code, m_state.SW_Code);

    Label1 = addLabel(this, QStringLiteral("Label1"), 16, 70);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TFOpenConf::ListBox1Click);

    P_Button = addButtonPanel(this, 311, 377, kPanelHeight);
    Btn_OK = new StyledButton(P_Button, QStringLiteral("Btn_OK"), QRect(133, 6, kButtonWidth, 28), Picture::Ok);
    Btn_Cancel = new StyledButton(P_Button, QStringLiteral("Btn_Cancel"), QRect(251, 6, kButtonWidth, 28),
                                  Picture::Cancel);
    connect(Btn_OK, &StyledButton::clicked, this, &TFOpenConf::accept);
    connect(Btn_Cancel, &StyledButton::clicked, this, &TFOpenConf::reject);

    resize(377, 351);
    placeControls();
    Set_Lang();
}

void TFOpenConf::placeControls()
{
    const int w = width();
    const int panelTop = height() - kPanelHeight;
    P_Title->resize(w, P_Title->height());
    ListBox1->setGeometry(kMargin, kListTop, w - 2 * kMargin, panelTop - 6 - kListTop);
    P_Button->setGeometry(0, panelTop, w, kPanelHeight);
    if (auto *line = P_Button->findChild<QFrame *>())
        line->resize(w, line->height());
    const int cancelLeft = w - kMargin - kButtonWidth;
    Btn_Cancel->move(cancelLeft, 6);
    Btn_OK->move(cancelLeft - kButtonGap - kButtonWidth, 6);
}

void TFOpenConf::resizeEvent(QResizeEvent *event)
{
    StyledDialog::resizeEvent(event);
    placeControls();
}

void TFOpenConf::showEvent(QShowEvent *event)
{
    StyledDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFOpenConf::FormShow()
{
    SL = Load_Existing_Configuration(m_state.Dir_Projects);
    ListBox1->clear();
    ListBox1->addItems(SL);
    const int index = preselectedIndex(SL, configurationNameOf(m_state.Dir_Projects, m_state.Project_Dir));
    if (index >= 0) {
        ListBox1->setCurrentRow(index);
        Name_Conf = SL[index];
    }
    ListBox1->setFocus();
}

void TFOpenConf::ListBox1Click()
{
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    if (!selected.isEmpty())
        Name_Conf = selected.first()->text();
}

void TFOpenConf::Set_Lang()
{
    setWindowTitle(m_state.text(Txt::OpenConfTitle));
    setCaption(L_SW_Desc, m_state.text(Txt::OpenConfDesc));
    setCaption(Label1, m_state.text(Txt::OpenConfListCaption));
    Btn_OK->setText(m_state.text(Txt::OpenConfOk));
    Btn_Cancel->setText(m_state.text(Txt::OpenConfCancel));
    ListBox1->setToolTip(m_state.text(Txt::OpenConfListHint));
    ListBox1->setAccessibleName(m_state.text(Txt::OpenConfListCaption));
    Btn_OK->setToolTip(m_state.text(Txt::OpenConfOkHint));
    Btn_Cancel->setToolTip(m_state.text(Txt::OpenConfCancelHint));
}

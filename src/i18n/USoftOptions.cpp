#include "i18n/USoftOptions.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/TextIndex.h"
#include "i18n/Language.h"
#include "i18n/LanguageList.h"
#include "i18n/VersionCheck.h"
#include "widgets/ClickableLabel.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QCheckBox>
#include <QFutureWatcher>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QShowEvent>
#include <QTabWidget>

namespace {

constexpr int kClientWidth = 509;
constexpr int kClientHeight = 373;
constexpr int kFlagSize = 48;

const QPoint kSlotImage[6] = {{24, 40}, {26, 94}, {24, 148}, {254, 40}, {254, 94}, {254, 148}};
const QPoint kSlotLabel[6] = {{80, 56}, {80, 110}, {80, 164}, {310, 56}, {310, 110}, {310, 164}};

// A flag drawn unscaled from its top-left corner, clipped to 48 x 48, the colour of its
// bottom-left pixel transparent. A null pixmap when the file cannot be read as a picture.
QPixmap flagPixmap(const QString &path)
{
    // Read as any file of the workspace is: a FIFO in a picture's place must not stop the window.
    QByteArray bytes;
    QImage source;
    if (!readWholeFile(path, &bytes, nullptr) || !source.loadFromData(bytes) || source.isNull())
        return QPixmap();
    source = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = source.pixel(0, source.height() - 1);
    QImage flag(kFlagSize, kFlagSize, QImage::Format_ARGB32);
    flag.fill(Qt::transparent);
    for (int y = 0; y < std::min(kFlagSize, source.height()); ++y) {
        for (int x = 0; x < std::min(kFlagSize, source.width()); ++x) {
            const QRgb pixel = source.pixel(x, y);
            if (qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel)) != qRgb(qRed(key), qGreen(key), qBlue(key)))
                flag.setPixel(x, y, pixel);
        }
    }
    return QPixmap::fromImage(flag);
}

QCheckBox *addCheckBox(QWidget *parent, const QString &name, int left, int top)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(name);
    box->move(left, top);
    return box;
}

void setCheckCaption(QCheckBox *box, const QString &text)
{
    box->setText(text);
    box->adjustSize();
}

} // namespace

TFSoftOptions::TFSoftOptions(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFSoftOptions"));
    createControls();
    SL_Languages.clear();
    setCaption(L_SW_Code, m_state.SW_Code);
    Set_Lang();
}

TFSoftOptions::~TFSoftOptions()
{
    abandonCheck();
}

void TFSoftOptions::createControls()
{
    makeFixedWindow(this, kClientWidth, kClientHeight);
    const Header header = addHeader(this, kClientWidth);
    L_SW_Code = header.swCode;
    L_SW_Desc = header.swDesc;

    QWidget *buttons = addButtonPanel(this, kClientHeight - 40, kClientWidth);
    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    PC_Options->setGeometry(0, header.panel->height(), kClientWidth, buttons->y() - header.panel->height());
    const auto addPage = [this](const QString &name) {
        auto *page = new QWidget;
        page->setObjectName(name);
        PC_Options->addTab(page, QString());
        return page;
    };
    TS_Language = addPage(QStringLiteral("TS_Language"));
    TS_Con_Options = addPage(QStringLiteral("TS_Con_Options"));
    TS_Soft_Settings = addPage(QStringLiteral("TS_Soft_Settings"));

    L_Sel_Lang = addLabel(TS_Language, QStringLiteral("L_Sel_Lang"), 12, 11);
    for (int k = 0; k < 6; ++k) {
        I_L[k] = new ClickableLabel(TS_Language);
        I_L[k]->setObjectName(QStringLiteral("I_L%1").arg(k + 1));
        I_L[k]->setGeometry(QRect(kSlotImage[k], QSize(kFlagSize, kFlagSize)));
        I_L[k]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        L_L[k] = new ClickableLabel(TS_Language);
        L_L[k]->setObjectName(QStringLiteral("L_L%1").arg(k + 1));
        L_L[k]->move(kSlotLabel[k]);
        for (ClickableLabel *control : {I_L[k], L_L[k]})
            connect(control, &ClickableLabel::clicked, this, [this, k] { LangClick(k + 1); });
    }
    Btn_Prev = new StyledButton(TS_Language, QStringLiteral("Btn_Prev"), QRect(12, 204, 110, 28), Picture::Previous);
    Btn_Next = new StyledButton(TS_Language, QStringLiteral("Btn_Next"), QRect(379, 205, 110, 28), Picture::Next);
    Btn_Next->setPictureOnRight(true);
    for (StyledButton *button : {Btn_Prev, Btn_Next})
        connect(button, &StyledButton::clicked, this, [this, button] { Btn_NextClick(button); });
    L_Page_Lang = addLabel(TS_Language, QStringLiteral("L_Page_Lang"), 220, 212);

    CB_En_Con = addCheckBox(TS_Con_Options, QStringLiteral("CB_En_Con"), 12, 16);
    CB_Update = addCheckBox(TS_Con_Options, QStringLiteral("CB_Update"), 36, 47);
    Btn_Check_Update = new StyledButton(TS_Con_Options, QStringLiteral("Btn_Check_Update"), QRect(36, 78, 204, 28),
                                        Picture::CheckUpdate);
    connect(Btn_Check_Update, &StyledButton::clicked, this, &TFSoftOptions::Btn_Check_UpdateClick);
    LL_Check_Update = addLabel(TS_Con_Options, QStringLiteral("LL_Check_Update"), 40, 120);
    LL_Check_Update->setTextInteractionFlags(Qt::TextBrowserInteraction);
    LL_Check_Update->setOpenExternalLinks(false);
    connect(LL_Check_Update, &QLabel::linkActivated, this, [this](const QString &link) {
        if (m_services.openUrl)
            m_services.openUrl(QUrl(link));
    });

    CB_Soft_Set_Jump_Table = addCheckBox(TS_Soft_Settings, QStringLiteral("CB_Soft_Set_Jump_Table"), 12, 16);
    CB_DoubleClick_Auto_Size = addCheckBox(TS_Soft_Settings, QStringLiteral("CB_DoubleClick_Auto_Size"), 12, 39);
    for (QCheckBox *box : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size})
        connect(box, &QCheckBox::clicked, this, &TFSoftOptions::Update_CheckBox);

    Btn_OK = new StyledButton(buttons, QStringLiteral("Btn_OK"), QRect(16, 6, 110, 28), Picture::Ok);
    Btn_Cancel = new StyledButton(buttons, QStringLiteral("Btn_Cancel"), QRect(134, 6, 110, 28), Picture::Cancel);
    connect(Btn_OK, &StyledButton::clicked, this, &TFSoftOptions::Btn_OKClick);
    connect(Btn_Cancel, &StyledButton::clicked, this, &QDialog::reject);
}

void TFSoftOptions::Set_Lang()
{
    setWindowTitle(m_state.text(Txt::OptionsTitle));
    setCaption(L_SW_Desc, m_state.text(Txt::OptionsDesc));
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), m_state.text(Txt::OptionsLanguageTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), m_state.text(Txt::OptionsConnectionTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Soft_Settings), m_state.text(Txt::OptionsSoftwareTab));
    setCaption(L_Sel_Lang, m_state.text(Txt::OptionsSelectedLanguage));
    setCaption(L_Page_Lang, m_state.text(Txt::OptionsPage) + QStringLiteral("1") + m_state.text(Txt::OptionsPageSeparator)
                                + QStringLiteral("1"));
    Btn_Prev->setText(m_state.text(Txt::OptionsPrevious));
    Btn_Next->setText(m_state.text(Txt::OptionsNext));
    setCheckCaption(CB_En_Con, m_state.text(Txt::OptionsEnableInternet));
    setCheckCaption(CB_Update, m_state.text(Txt::OptionsCheckAtStart));
    Btn_Check_Update->setText(m_state.text(Txt::OptionsCheckUpdate));
    Btn_OK->setText(m_state.text(Txt::OptionsOk));
    Btn_Cancel->setText(m_state.text(Txt::OptionsCancel));
    setCheckCaption(CB_Soft_Set_Jump_Table, m_state.text(Txt::OptionsJumpFieldTables));
    setCheckCaption(CB_DoubleClick_Auto_Size, m_state.text(Txt::OptionsAutoSizeColumns));
}

void TFSoftOptions::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    StyledDialog::showEvent(event);
}

void TFSoftOptions::FormShow()
{
    abandonCheck();
    Language_In_Use = m_state.Language_Name;
    Create_Lang_List();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(m_state.Enable_Internet);
    CB_Update->setChecked(m_state.Enable_Update);
    CB_Soft_Set_Jump_Table->setChecked(m_state.Jump_Field_Tables);
    CB_DoubleClick_Auto_Size->setChecked(m_state.Auto_Size_Columns);
    Update_CheckBox();
}

void TFSoftOptions::Create_Lang_List()
{
    SL_Languages = listLanguageFiles(m_state.Dir_Language);
    Show_Page = 1;
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::Update_Lang_Page(int Num_Page)
{
    const LanguagePage page = languagePage(int(SL_Languages.size()), Num_Page);
    setCaption(L_Sel_Lang, m_state.text(Txt::OptionsSelectedLanguage) + Language_In_Use);
    setCaption(L_Page_Lang, m_state.text(Txt::OptionsPage) + QString::number(Num_Page)
                                + m_state.text(Txt::OptionsPageSeparator) + QString::number(page.pages));
    Btn_Prev->setVisible(page.previous);
    Btn_Next->setVisible(page.next);
    for (int k = 0; k < 6; ++k) {
        if (k < page.count) {
            showSlot(k, SL_Languages.at(page.first + k));
        } else {
            I_L[k]->hide();
            L_L[k]->hide();
        }
    }
}

void TFSoftOptions::showSlot(int index, const QString &fileName)
{
    const QString name = languageDisplayName(fileName);
    setCaption(L_L[index], name);
    L_L[index]->show();
    // A missing or unreadable picture leaves the name alone; the other slots are still filled.
    const QString picture = flagPicturePath(m_state.Dir_Language, name);
    const QPixmap flag = picture.isEmpty() ? QPixmap() : flagPixmap(picture);
    I_L[index]->setPixmap(flag);
    I_L[index]->setAccessibleName(name);
    I_L[index]->setVisible(!flag.isNull());
}

void TFSoftOptions::Btn_NextClick(QObject *sender)
{
    const int pages = languagePage(int(SL_Languages.size()), Show_Page).pages;
    if (sender == Btn_Next && pages >= Show_Page + 1)
        ++Show_Page;
    else if (sender == Btn_Prev && Show_Page >= 2)
        --Show_Page;
    Update_Lang_Page(Show_Page);
}

bool TFSoftOptions::loadLanguageFor(const QString &name, QString *error)
{
    // The stored choice changes only on OK.
    const QString stored = m_state.Language_Name;
    m_state.Language_Name = name;
    const bool loaded = Load_Language(m_state, error);
    m_state.Language_Name = stored;
    return loaded;
}

void TFSoftOptions::LangClick(int slot)
{
    const int index = (Show_Page - 1) * kLanguagesPerPage + slot - 1;
    if (index < 0 || index >= SL_Languages.size())
        return;
    const QString name = languageDisplayName(SL_Languages.at(index));
    const QString question = m_state.text(Txt::OptionsChangeLanguageFrom) + Language_In_Use
                             + m_state.text(Txt::OptionsChangeLanguageTo) + name + m_state.text(Txt::OptionsChangeLanguageEnd);
    if (!m_services.messages->question(this, question))
        return;

    QString error;
    if (!loadLanguageFor(name, &error)) {
        // The table would hold English while every window still shows the old language:
        // say why and go back to the language in use.
        m_services.messages->generalError(this, error);
        QString ignored;
        loadLanguageFor(Language_In_Use, &ignored);
        return;
    }
    Language_In_Use = name;
    if (changeLanguage)
        changeLanguage();
    else
        Set_Lang();
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::Update_CheckBox()
{
    CB_Update->setEnabled(CB_En_Con->isChecked());
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked() && !m_checkRunning);
}

void TFSoftOptions::Btn_Check_UpdateClick()
{
    if (m_checkRunning)
        return;
    m_checkRunning = true;
    Update_CheckBox();
    setCursor(Qt::WaitCursor);

    const VersionCheckRequest request;
    m_cancelCheck = request.cancelled;
    const int generation = m_checkGeneration;
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation == m_checkGeneration)
            versionCheckFinished(watcher->result());
    });
    watcher->setFuture(startVersionCheck(request));
}

void TFSoftOptions::versionCheckFinished(bool newer)
{
    m_checkRunning = false;
    m_cancelCheck.reset();
    unsetCursor();
    Update_CheckBox();
    if (newer) {
        setLinkCaption(LL_Check_Update, downloadPageUrl(), m_state.text(Txt::OptionsNewVersionAvailable));
    } else {
        LL_Check_Update->setTextFormat(Qt::PlainText);
        LL_Check_Update->setText(m_state.text(Txt::OptionsNoUpdateAvailable));
    }
    LL_Check_Update->adjustSize();
    LL_Check_Update->show();
}

void TFSoftOptions::abandonCheck()
{
    if (!m_checkRunning)
        return;
    if (m_cancelCheck)
        m_cancelCheck->store(true);
    m_cancelCheck.reset();
    ++m_checkGeneration;
    m_checkRunning = false;
    unsetCursor();
}

void TFSoftOptions::Btn_OKClick()
{
    m_state.Language_Name = Language_In_Use;
    m_state.Enable_Internet = CB_En_Con->isChecked();
    m_state.Enable_Update = CB_Update->isChecked();
    m_state.Jump_Field_Tables = CB_Soft_Set_Jump_Table->isChecked();
    m_state.Auto_Size_Columns = CB_DoubleClick_Auto_Size->isChecked();
    accept();
}

#include "params/UParGen.h"

#include "core/AppState.h"
#include "core/IntegerConversion.h"
#include "params/SendType.h"
#include "params/Validation.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"
#include "widgets/XmlTextValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

namespace {

constexpr int kClientWidth = 312;
constexpr int kGroupLeft = 8;
constexpr int kGroupWidth = 296;
constexpr int kGroupGap = 6;
constexpr int kCollapsedHeight = 26; // the caption bar alone
constexpr int kBottomMargin = 15;   // below a group's last field

int bottomOf(const QWidget *w)
{
    return w->y() + w->height();
}

} // namespace

TFParGen::TFParGen(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFParGen"));
    FormCreate();
}

void TFParGen::FormCreate()
{
    createControls();
    setCaption(L_SW_Code, m_state.SW_Code);
    Collapse_Expand_Creation();
    Move_GroupBoxs();
    Set_Lang();
}

// ---- controls ------------------------------------------------------------------------------

void TFParGen::createControls()
{
    const Header header = addHeader(clientArea(), kClientWidth);
    L_SW_Code = header.swCode;
    L_SW_Desc = header.swDesc;
    m_captions.append({L_SW_Desc, 401, -1});

    createSerialGroup();
    createModbusSlaveGroup();
    createEthernetGroup();

    Btn_OK = new StyledButton(clientArea(), QStringLiteral("Btn_OK"), QRect(71, 0, 112, 28), Picture::Ok);
    Btn_Cancel = new StyledButton(clientArea(), QStringLiteral("Btn_Cancel"), QRect(192, 0, 112, 28), Picture::Cancel);
    m_captions.append({Btn_OK, 402, 404});
    m_captions.append({Btn_Cancel, 403, 405});
    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFParGen::Btn_CancelClick);
    makeFixedWindow(this, kClientWidth, 0);
}

QGroupBox *TFParGen::addGroup(const QString &name, int captionText, Group *group, bool *expanded)
{
    auto *box = new QGroupBox(clientArea());
    box->setObjectName(QStringLiteral("GB_") + name);
    box->setGeometry(kGroupLeft, 0, kGroupWidth, kCollapsedHeight);
    // The caption sits on the frame line, so a collapsed group shows just its caption bar.
    box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid rgb(200, 197, 180); border-radius: 2px;"
                                      " margin-top: 6px; }"
                                      "QGroupBox::title { subcontrol-origin: margin; left: 7px; top: 0px; }"));
    m_captions.append({box, captionText, -1});
    group->box = box;
    group->expanded = expanded;
    group->collapse = new QPushButton(box);
    group->collapse->setObjectName(QStringLiteral("Btn_%1_Collapse").arg(name));
    group->expand = new QPushButton(box);
    group->expand->setObjectName(QStringLiteral("Btn_%1_Expande").arg(name));
    for (QPushButton *button : {group->collapse, group->expand}) {
        const bool collapse = button == group->collapse;
        button->setIcon(pictureIcon(collapse ? Picture::Collapse : Picture::Expand, 11));
        button->setIconSize(QSize(11, 11));
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; }"
                                             "QPushButton:hover { background-color: rgb(226, 238, 250); }"));
        m_captions.append({button, -1, collapse ? 469 : 470});
        connect(button, &QPushButton::clicked, this, [this, button, collapse] {
            collapse ? Btn_GB_Collapse(button) : Btn_GB_Expande(button);
        });
    }
    return box;
}

QLabel *TFParGen::addCaption(QWidget *parent, const QString &name, int left, int top, int text, int hint)
{
    QLabel *label = addLabel(parent, name, left, top);
    m_captions.append({label, text, hint});
    return label;
}

QComboBox *TFParGen::addList(QWidget *parent, Param::Id id, int left, int top, int hint)
{
    const ParameterDef &def = parameter(id);
    auto *list = new QComboBox(parent);
    list->setObjectName(def.control);
    list->setGeometry(left, top, 192, 22);
    list->addItems(def.items);
    m_inputs[id] = list;
    if (hint >= 0)
        m_captions.append({list, -1, hint});
    connect(list, &QComboBox::currentIndexChanged, this, [this, list] { On_Change(list); });
    return list;
}

QLineEdit *TFParGen::addField(QWidget *parent, Param::Id id, const QRect &geometry, int hint)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(parameter(id).control);
    field->setGeometry(geometry);
    // What the field holds goes into ParGen.xml as it stands.
    field->setValidator(new XmlTextValidator(field));
    m_inputs[id] = field;
    m_captions.append({field, -1, hint});
    connect(field, &QLineEdit::textChanged, this, [this, field] { On_Change(field); });
    return field;
}

QCheckBox *TFParGen::addCheck(QWidget *parent, Param::Id id, const QRect &geometry, int text, int hint)
{
    auto *check = new QCheckBox(parent);
    check->setObjectName(parameter(id).control);
    check->setGeometry(geometry);
    m_inputs[id] = check;
    m_captions.append({check, text, hint});
    connect(check, &QCheckBox::toggled, this, &TFParGen::On_Click);
    return check;
}

void TFParGen::createSerialGroup()
{
    QGroupBox *box = addGroup(QStringLiteral("Serial"), 406, &m_serial, &GB_Serial_Visible);
    m_serial.firstCaption = addCaption(box, QStringLiteral("L_Serial_Serial"), 16, 24, 407);
    m_serial.firstList = addList(box, Param::Serial_Serial, 82, 21, 415);
    addCaption(box, QStringLiteral("L_Serial_Baud"), 16, 58, 408);
    addList(box, Param::Serial_Baud, 82, 55, 416);
    addCaption(box, QStringLiteral("L_Serial_Par"), 16, 92, 409);
    addList(box, Param::Serial_Parity, 82, 89, 417);
    addCaption(box, QStringLiteral("L_Serial_DataBits"), 16, 126, 513);
    addList(box, Param::Serial_DataBits, 82, 123, -1);
    addCaption(box, QStringLiteral("L_Serial_SendType"), 16, 160, 410);
    addList(box, Param::Serial_Send_Type, 82, 157, 422);
    // The rows below are placed by the layout.
    L_Serial_ST_EndChar = addCaption(box, QStringLiteral("L_Serial_ST_EndChar"), 16, 194, 418);
    addField(box, Param::Serial_End_Char, QRect(148, 191, 126, 21), 420);
    L_Serial_ST_NumByte = addCaption(box, QStringLiteral("L_Serial_ST_NumByte"), 16, 194, 419);
    addField(box, Param::Serial_Num_Byte, QRect(148, 191, 126, 21), 421);
    CB_Serial_TimeOut = addCaption(box, QStringLiteral("CB_Serial_TimeOut"), 16, 228, 414);
    addField(box, Param::Serial_TimeOut_RX, QRect(148, 225, 126, 21), 423);
    addCheck(box, Param::Serial_Time_Wait_RX_En, QRect(16, 262, 121, 17), 516, 517);
    addField(box, Param::Serial_Time_Wait_RX_Time, QRect(148, 259, 126, 21), 518);
}

void TFParGen::createModbusSlaveGroup()
{
    QGroupBox *box = addGroup(QStringLiteral("ModbusSlave"), 424, &m_modbusSlave, &GB_ModbusSlave_Visible);
    m_modbusSlave.firstCaption = addCaption(box, QStringLiteral("L_ModbusSlave_Serial"), 16, 24, 425);
    m_modbusSlave.firstList = addList(box, Param::ModbusSlave_Serial, 82, 21, 433);
    addCaption(box, QStringLiteral("L_ModbusSlave_Baud"), 16, 58, 426);
    addList(box, Param::ModbusSlave_Baud, 82, 55, 434);
    addCaption(box, QStringLiteral("L_ModbusSlave_Par"), 16, 92, 427);
    addList(box, Param::ModbusSlave_Parity, 82, 89, 435);
    addCaption(box, QStringLiteral("L_ModbusSlave_IDDev"), 16, 126, 428);
    addField(box, Param::ModbusSlave_ID_Device, QRect(82, 123, 192, 21), 436);

    struct Row {
        const char *caption;
        Param::Id id;
        int text;
        int hint;
    };
    const Row rows[] = {
        {"L_ModbusSlave_Start_Read", Param::ModbusSlave_Start_Read, 429, 437},
        {"L_ModbusSlave_Start_Write", Param::ModbusSlave_Start_Write, 430, 438},
        {"L_ModbusSlave_Control", Param::ModbusSlave_Control_Word, 431, 439},
        {"L_ModbusSlave_Status", Param::ModbusSlave_Status_Word, 432, 440},
    };
    int top = 160;
    for (const Row &row : rows) {
        addCaption(box, QString::fromLatin1(row.caption), 16, top, row.text);
        addField(box, row.id, QRect(148, top - 3, 126, 21), row.hint);
        top += 34;
    }
    addCheck(box, Param::ModbusSlave_Enable_NumByteRX, QRect(16, 296, 129, 17), 509, 510);
    addField(box, Param::ModbusSlave_NumByteRX, QRect(148, 294, 126, 21), 511);
}

void TFParGen::createEthernetGroup()
{
    QGroupBox *box = addGroup(QStringLiteral("ModbusTCPSlave"), 441, &m_ethernet, &GB_ModbusTCPSlave_Visible);
    m_ethernet.firstCaption = addCaption(box, QStringLiteral("L_ModbusTCPSlave_IP_Add"), 16, 24, 443);
    addCaption(box, QStringLiteral("L_ModbusTCPSlave_SM_Add"), 16, 79, 444);
    addCheck(box, Param::ModbusTCPSlave_En_GAT, QRect(16, 134, 257, 17), 445, 463);

    struct Row {
        const char *name;
        Param::Id first;
        int top;
        int firstHint;
    };
    const Row rows[] = {
        {"IP", Param::ModbusTCPSlave_IP1, 43, 451},
        {"SM", Param::ModbusTCPSlave_SM1, 98, 455},
        {"GAT", Param::ModbusTCPSlave_GAT1, 154, 459},
    };
    int n = 0;
    for (const Row &row : rows) {
        for (int i = 0; i < 4; ++i) {
            QLineEdit *field = addField(box, Param::Id(row.first + i), QRect(16 + 66 * i, row.top, 60, 21),
                                        row.firstHint + i);
            field->installEventFilter(this);
            m_ethernetFields[n++] = field;
            if (i < 3) {
                QLabel *dot = addLabel(box, QStringLiteral("L_ModbusTCPSlave_%1_Dot%2")
                                                .arg(QString::fromLatin1(row.name))
                                                .arg(i + 1),
                                       77 + 66 * i, row.top + 3);
                setCaption(dot, QStringLiteral("."));
            }
        }
    }
}

// ---- texts ---------------------------------------------------------------------------------

void TFParGen::Set_Lang()
{
    setWindowTitle(m_state.text(400));
    for (const Caption &c : std::as_const(m_captions)) {
        if (c.text >= 0) {
            const QString text = m_state.text(c.text);
            if (auto *label = qobject_cast<QLabel *>(c.control))
                setCaption(label, text);
            else if (auto *box = qobject_cast<QGroupBox *>(c.control))
                box->setTitle(text);
            else if (auto *button = qobject_cast<QAbstractButton *>(c.control))
                button->setText(text);
        }
        if (c.hint >= 0)
            c.control->setToolTip(m_state.text(c.hint));
    }

    auto *sendType = static_cast<QComboBox *>(m_inputs[Param::Serial_Send_Type]);
    {
        const QSignalBlocker blocker(sendType);
        sendType->clear();
        for (int index : parameter(Param::Serial_Send_Type).itemTexts)
            sendType->addItem(m_state.text(index));
        sendType->setCurrentIndex(static_cast<int>(SendType::EndCharacter));
    }
    Move_GroupBoxs();
}

// ---- layout --------------------------------------------------------------------------------

void TFParGen::Collapse_Expand_Creation()
{
    for (Group *group : {&m_serial, &m_modbusSlave, &m_ethernet}) {
        *group->expanded = true;
        group->collapse->setGeometry(280, 10, 11, 11);
        group->expand->setGeometry(280, 10, 11, 11);
        group->collapse->show();
        group->expand->hide();
    }
}

void TFParGen::RePosition_Objects_812()
{
    auto *sendType = static_cast<QComboBox *>(m_inputs[Param::Serial_Send_Type]);
    QWidget *endChar = m_inputs[Param::Serial_End_Char];
    QWidget *numByte = m_inputs[Param::Serial_Num_Byte];
    for (QWidget *w : {static_cast<QWidget *>(L_Serial_ST_EndChar), endChar,
                       static_cast<QWidget *>(L_Serial_ST_NumByte), numByte})
        w->hide();

    int v = 228;
    // Fix Num Bytes is the list's last item, and the editor's choice for any other index.
    switch (sendTypeOf(sendType->currentIndex()).value_or(SendType::FixNumBytes)) {
    case SendType::EndCharacter:
        L_Serial_ST_EndChar->move(16, 194);
        endChar->move(148, 191);
        L_Serial_ST_EndChar->show();
        endChar->show();
        break;
    case SendType::NumBytesOnControlWord:
        v = 194;
        break;
    case SendType::FixNumBytes:
        L_Serial_ST_NumByte->move(16, 194);
        numByte->move(148, 191);
        L_Serial_ST_NumByte->show();
        numByte->show();
        break;
    }
    CB_Serial_TimeOut->move(16, v);
    m_inputs[Param::Serial_TimeOut_RX]->move(148, v - 3);
    m_inputs[Param::Serial_Time_Wait_RX_En]->move(16, v + 34);
    QWidget *waitTime = m_inputs[Param::Serial_Time_Wait_RX_Time];
    waitTime->move(148, v + 31);
    m_serial.box->resize(kGroupWidth, bottomOf(waitTime) + kBottomMargin);
}

void TFParGen::Move_GroupBoxs()
{
    m_serial.box->move(kGroupLeft, 70);
    if (GB_Serial_Visible)
        RePosition_Objects_812();

    m_modbusSlave.box->move(kGroupLeft, bottomOf(m_serial.box) + kGroupGap);
    if (GB_ModbusSlave_Visible)
        m_modbusSlave.box->resize(kGroupWidth, bottomOf(m_inputs[Param::ModbusSlave_NumByteRX]) + kBottomMargin);

    m_ethernet.box->move(kGroupLeft, bottomOf(m_modbusSlave.box) + kGroupGap);
    if (GB_ModbusTCPSlave_Visible)
        m_ethernet.box->resize(kGroupWidth, bottomOf(m_inputs[Param::ModbusTCPSlave_GAT4]) + kBottomMargin);

    const int buttonsTop = bottomOf(m_ethernet.box) + 13;
    Btn_OK->move(Btn_OK->x(), buttonsTop);
    Btn_Cancel->move(Btn_Cancel->x(), buttonsTop);
    setClientSize(kClientWidth, bottomOf(m_ethernet.box) + 54);
}

TFParGen::Group *TFParGen::groupOf(QObject *button)
{
    for (Group *group : {&m_serial, &m_modbusSlave, &m_ethernet}) {
        if (button == group->collapse || button == group->expand)
            return group;
    }
    return nullptr;
}

void TFParGen::Btn_GB_Collapse(QObject *sender)
{
    if (Group *group = groupOf(sender))
        setExpanded(group, false);
}

void TFParGen::Btn_GB_Expande(QObject *sender)
{
    if (Group *group = groupOf(sender))
        setExpanded(group, true);
}

void TFParGen::setExpanded(Group *group, bool expanded)
{
    // Collapsed, only the caption bar shows; the layout gives an expanded group its height back.
    if (!expanded)
        group->box->resize(kGroupWidth, kCollapsedHeight);
    // The first row would peek out below the caption bar.
    group->firstCaption->setVisible(expanded);
    if (group->firstList)
        group->firstList->setVisible(expanded);
    group->collapse->setVisible(expanded);
    group->expand->setVisible(!expanded);
    *group->expanded = expanded;
    Move_GroupBoxs();
}

// ---- opening and closing -------------------------------------------------------------------

void TFParGen::showEvent(QShowEvent *event)
{
    QString loadError;
    if (!event->spontaneous())
        FormShow(&loadError);
    StyledDialog::showEvent(event);
    FormActivate();
    // Reported once the window has its place, so the box stands over it.
    if (!loadError.isEmpty())
        m_services.messages->generalError(this, loadError);
}

void TFParGen::changeEvent(QEvent *event)
{
    StyledDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        FormActivate();
}

void TFParGen::FormShow(QString *loadError)
{
    ParameterValues values;
    // A file that cannot be read shows the defaults: never what an earlier configuration left
    // in the controls, which an OK would write into this one.
    if (!loadParameterFile(m_state.ParGen_File, &values, loadError) && loadError->isEmpty())
        *loadError = m_state.ParGen_File;
    Load_Values(values);
    Is_Change = false;
    Move_GroupBoxs();
}

void TFParGen::FormActivate()
{
    if (y() < 0)
        move(x(), 0);
}

void TFParGen::Load_Values(const ParameterValues &values)
{
    for (const ParameterDef &def : parameterSet()) {
        QWidget *control = m_inputs[def.id];
        // What the program puts into the controls is not a change by the user.
        const QSignalBlocker blocker(control);
        const QString &value = values[def.id];
        switch (def.kind) {
        case ParameterKind::Choice:
            static_cast<QComboBox *>(control)->setCurrentIndex(toIntegerDef(value, -1));
            break;
        case ParameterKind::Number:
            static_cast<QLineEdit *>(control)->setText(value);
            break;
        case ParameterKind::Flag:
            static_cast<QCheckBox *>(control)->setChecked(value == u"1");
            break;
        }
    }
}

ParameterValues TFParGen::Read_Values() const
{
    ParameterValues values;
    for (const ParameterDef &def : parameterSet()) {
        const QWidget *control = m_inputs[def.id];
        switch (def.kind) {
        case ParameterKind::Choice:
            values[def.id] = QString::number(static_cast<const QComboBox *>(control)->currentIndex());
            break;
        case ParameterKind::Number:
            values[def.id] = static_cast<const QLineEdit *>(control)->text();
            break;
        case ParameterKind::Flag:
            values[def.id] = static_cast<const QCheckBox *>(control)->isChecked() ? QStringLiteral("1")
                                                                                   : QStringLiteral("0");
            break;
        }
    }
    return values;
}

// ---- editing -------------------------------------------------------------------------------

void TFParGen::On_Change(QObject *sender)
{
    Is_Change = true;
    auto *serial = static_cast<QComboBox *>(m_inputs[Param::Serial_Serial]);
    auto *slave = static_cast<QComboBox *>(m_inputs[Param::ModbusSlave_Serial]);
    // Only one of the two ports can be RS232.
    if ((sender == serial || sender == slave) && serial->currentIndex() == 0 && slave->currentIndex() == 0) {
        QComboBox *other = sender == serial ? slave : serial;
        const QSignalBlocker blocker(other);
        other->setCurrentIndex(1);
    }
    if (sender == m_inputs[Param::Serial_Send_Type])
        Move_GroupBoxs();
}

void TFParGen::On_Click()
{
    Is_Change = true;
}

bool TFParGen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        for (QLineEdit *field : m_ethernetFields) {
            if (watched == field)
                return KeyPress(field, static_cast<QKeyEvent *>(event));
        }
    }
    return StyledDialog::eventFilter(watched, event);
}

bool TFParGen::KeyPress(QLineEdit *field, QKeyEvent *event)
{
    if (event->text() != u".")
        return false;
    // The dot is never typed: it moves on to the next number of the address.
    const auto it = std::find(m_ethernetFields.begin(), m_ethernetFields.end(), field);
    if (it + 1 != m_ethernetFields.end()) {
        QLineEdit *next = *(it + 1);
        if (next->isEnabled() && next->isVisible() && next->focusPolicy() != Qt::NoFocus)
            next->setFocus(Qt::TabFocusReason);
    }
    return true;
}

bool TFParGen::Controllo_Dati()
{
    const std::optional<int> broken = firstBrokenRule(Read_Values());
    if (!broken)
        return true;
    m_services.messages->error(this, m_state.text(*broken));
    return false;
}

void TFParGen::Btn_OKClick()
{
    if (!Controllo_Dati())
        return;
    QString error;
    if (!saveParameterFile(m_state.ParGen_File, Read_Values(), &error)) {
        m_services.messages->generalError(this, error);
        return;
    }
    accept();
}

void TFParGen::Btn_CancelClick()
{
    reject();
}

void TFParGen::reject()
{
    if (Is_Change && !m_services.messages->question(this, m_state.text(508)))
        return;
    StyledDialog::reject();
}

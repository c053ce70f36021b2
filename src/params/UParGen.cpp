#include "params/UParGen.h"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/FileSystem.h"
#include "core/IntegerConversion.h"
#include "core/TextIndex.h"
#include "core/XmlLookup.h"
#include "params/Validation.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"
#include "widgets/XmlTextValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int kClientWidth = 312;
constexpr int kGroupLeft = 8;
constexpr int kGroupWidth = 296;
constexpr int kFirstGroupTop = 70;  // below the header
constexpr int kGroupGap = 6;
constexpr int kCollapsedHeight = 26; // the caption bar alone
constexpr int kBottomMargin = 15;   // below a group's last field
constexpr int kRowPitch = 34;       // from one row's caption to the next
constexpr int kInputRaise = 3;      // an input sits this much above its caption

int bottomOf(const QWidget *w)
{
    return w->y() + w->height();
}

QRect placed(const ControlPlace &place, int layoutTop)
{
    return QRect(place.left, place.top.value_or(layoutTop), place.width, place.height);
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
    // What the window shows before any file was read: a new configuration's values.
    Load_Values(defaultParameterValues());
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
    m_captions.append({L_SW_Desc, Txt::EditorDesc, -1});

    for (const EditorGroup &def : editorGroups())
        createGroup(def);
    // Every parameter has its control in some row.
    Q_ASSERT(std::find(m_inputs.begin(), m_inputs.end(), nullptr) == m_inputs.end());

    Btn_OK = new StyledButton(clientArea(), QStringLiteral("Btn_OK"), QRect(71, 0, 112, 28), Picture::Ok);
    Btn_Cancel = new StyledButton(clientArea(), QStringLiteral("Btn_Cancel"), QRect(192, 0, 112, 28), Picture::Cancel);
    m_captions.append({Btn_OK, Txt::EditorOk, Txt::EditorOkHint});
    m_captions.append({Btn_Cancel, Txt::EditorCancel, Txt::EditorCancelHint});
    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFParGen::Btn_CancelClick);
    makeFixedWindow(this, kClientWidth, 0);
}

void TFParGen::createGroup(const EditorGroup &def)
{
    Group group;
    group.expanded = expandedFlag(def.name);
    addGroupBox(def, &group);
    // The layout stacks its rows below the last row of fixed place.
    for (const EditorRow &row : def.rows) {
        if (!row.placedByLayout())
            group.layoutTop = std::max(group.layoutTop, *row.caption.place.top + kRowPitch);
    }
    for (const EditorRow &row : def.rows) {
        Row built{&row, addRowCaption(group.box, row.caption, group.layoutTop), {}};
        if (row.kind == RowKind::Plain) {
            for (const RowInput &input : row.inputs)
                built.inputs.append(addInput(group.box, input, group.layoutTop - kInputRaise));
        }
        group.rows.append(built);
    }
    // The numbers of the addresses follow all captions: the focus reaches the gateway's check
    // box before the first number.
    for (Row &built : group.rows) {
        if (built.def->kind == RowKind::Address)
            addAddress(group.box, *built.def, &built);
    }
    for (const Row &built : std::as_const(group.rows)) {
        for (QWidget *w : QList<QWidget *>{built.caption} + built.inputs) {
            if (w->y() < kCollapsedHeight)
                group.peeking.append(w);
        }
    }
    m_groups.append(group);
}

bool *TFParGen::expandedFlag(const QString &group)
{
    if (group == u"Serial")
        return &GB_Serial_Visible;
    if (group == u"ModbusSlave")
        return &GB_ModbusSlave_Visible;
    Q_ASSERT(group == u"ModbusTCPSlave");
    return &GB_ModbusTCPSlave_Visible;
}

void TFParGen::addGroupBox(const EditorGroup &def, Group *group)
{
    auto *box = new QGroupBox(clientArea());
    box->setObjectName(def.box());
    box->setGeometry(kGroupLeft, 0, kGroupWidth, kCollapsedHeight);
    // The caption sits on the frame line, so a collapsed group shows just its caption bar.
    box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid rgb(200, 197, 180); border-radius: 2px;"
                                      " margin-top: 6px; }"
                                      "QGroupBox::title { subcontrol-origin: margin; left: 7px; top: 0px; }"));
    m_captions.append({box, def.caption, -1});
    group->box = box;
    group->collapse = new QPushButton(box);
    group->collapse->setObjectName(QStringLiteral("Btn_%1_Collapse").arg(def.name));
    group->expand = new QPushButton(box);
    group->expand->setObjectName(QStringLiteral("Btn_%1_Expande").arg(def.name));
    for (QPushButton *button : {group->collapse, group->expand}) {
        const bool collapse = button == group->collapse;
        button->setIcon(pictureIcon(collapse ? Picture::Collapse : Picture::Expand, 11));
        button->setIconSize(QSize(11, 11));
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0px; }"
                                             "QPushButton:hover { background-color: rgb(226, 238, 250); }"));
        m_captions.append({button, -1, collapse ? Txt::EditorCollapseHint : Txt::EditorExpandHint});
        connect(button, &QPushButton::clicked, this, [this, button, collapse] {
            collapse ? Btn_GB_Collapse(button) : Btn_GB_Expande(button);
        });
    }
}

QWidget *TFParGen::addRowCaption(QWidget *parent, const RowCaption &caption, int layoutTop)
{
    QWidget *control = nullptr;
    if (caption.flag) {
        auto *check = new QCheckBox(parent);
        check->setObjectName(caption.control);
        check->setGeometry(placed(caption.place, layoutTop));
        m_inputs[*caption.flag] = check;
        connect(check, &QCheckBox::toggled, this, &TFParGen::On_Click);
        control = check;
    } else {
        control = addLabel(parent, caption.control, caption.place.left, caption.place.top.value_or(layoutTop));
    }
    m_captions.append({control, caption.text, caption.hint});
    return control;
}

QWidget *TFParGen::addInput(QWidget *parent, const RowInput &input, int layoutTop)
{
    const QRect geometry = placed(input.place, layoutTop);
    if (parameter(input.value).kind == ParameterKind::Choice)
        return addList(parent, input.value, geometry, input.hint);
    Q_ASSERT(parameter(input.value).kind == ParameterKind::Number);
    return addField(parent, input.value, geometry, input.hint);
}

void TFParGen::addAddress(QWidget *parent, const EditorRow &row, Row *built)
{
    for (int i = 0; i < row.inputs.size(); ++i) {
        const RowInput &input = row.inputs.at(i);
        QLineEdit *field = addField(parent, input.value, placed(input.place, 0), input.hint);
        field->installEventFilter(this);
        m_addressFields.append(field);
        built->inputs.append(field);
        if (i + 1 < row.inputs.size()) {
            // In the gap before the next number; named after the address's keys.
            const QString name = QStringLiteral("L_%1_Dot%2").arg(parameter(input.value).key.chopped(1), QString::number(i + 1));
            QLabel *dot = addLabel(parent, name, field->x() + field->width() + 1, field->y() + 3);
            setCaption(dot, QStringLiteral("."));
        }
    }
}

QComboBox *TFParGen::addList(QWidget *parent, Param::Id id, const QRect &geometry, int hint)
{
    const ParameterDef &def = parameter(id);
    auto *list = new QComboBox(parent);
    list->setObjectName(def.control);
    list->setGeometry(geometry);
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

// ---- texts ---------------------------------------------------------------------------------

void TFParGen::Set_Lang()
{
    setWindowTitle(m_state.text(Txt::EditorTitle));
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
    // The inputs have no caption of their own: a screen reader names each by its row's caption
    // (not by the group's, which Qt would take), and the picture buttons by their hints.
    for (const Group &group : std::as_const(m_groups)) {
        group.collapse->setAccessibleName(m_state.text(Txt::EditorCollapseHint));
        group.expand->setAccessibleName(m_state.text(Txt::EditorExpandHint));
        for (const Row &row : group.rows) {
            const QString caption = m_state.text(row.def->caption.text);
            if (row.def->kind == RowKind::Address)
                nameAddressFields(row.inputs, caption);
            else
                for (QWidget *input : row.inputs)
                    input->setAccessibleName(caption.trimmed());
        }
    }
    Move_GroupBoxs();
}

// ---- layout --------------------------------------------------------------------------------

void TFParGen::Collapse_Expand_Creation()
{
    for (Group &group : m_groups) {
        *group.expanded = true;
        group.collapse->setGeometry(280, 10, 11, 11);
        group.expand->setGeometry(280, 10, 11, 11);
        group.collapse->show();
        group.expand->hide();
    }
}

void TFParGen::RePosition_Objects_812(Group &group)
{
    const auto *sendTypeList = static_cast<QComboBox *>(m_inputs[Param::Serial_Send_Type]);
    const std::optional<SendType> sendType = sendTypeOf(sendTypeList->currentIndex());
    int top = group.layoutTop;
    int bottom = 0;
    for (Row &row : group.rows) {
        const bool shown = editorShowsRow(*row.def, sendType);
        if (shown && row.def->placedByLayout()) {
            row.caption->move(row.caption->x(), top);
            for (QWidget *input : std::as_const(row.inputs))
                input->move(input->x(), top - kInputRaise);
            top += kRowPitch;
        }
        row.caption->setVisible(shown);
        for (QWidget *input : std::as_const(row.inputs)) {
            input->setVisible(shown);
            if (shown)
                bottom = std::max(bottom, bottomOf(input));
        }
    }
    group.box->resize(kGroupWidth, bottom + kBottomMargin);
}

void TFParGen::Move_GroupBoxs()
{
    int top = kFirstGroupTop;
    for (Group &group : m_groups) {
        group.box->move(kGroupLeft, top);
        if (*group.expanded)
            RePosition_Objects_812(group);
        top = bottomOf(group.box) + kGroupGap;
    }
    const int bottom = bottomOf(m_groups.last().box);
    Btn_OK->move(Btn_OK->x(), bottom + 13);
    Btn_Cancel->move(Btn_Cancel->x(), bottom + 13);
    setClientSize(kClientWidth, bottom + 54);
}

TFParGen::Group *TFParGen::groupOf(QObject *button)
{
    for (Group &group : m_groups) {
        if (button == group.collapse || button == group.expand)
            return &group;
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
    for (QWidget *w : std::as_const(group->peeking))
        w->setVisible(expanded);
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
    if (loadParameterFile(m_state.ParGen_File, &values, loadError)) {
        Load_Values(values);
    } else {
        // A file that cannot be read loads nothing: the controls keep what they showed, and OK
        // replaces the file after keeping what it holds beside it.
        if (loadError->isEmpty())
            *loadError = m_state.ParGen_File;
        if (entryKind(m_state.ParGen_File) == EntryKind::File)
            *loadError += QStringLiteral("\n\n") + unreadableCopyNote(m_state.ParGen_File);
    }
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
        for (QLineEdit *field : std::as_const(m_addressFields)) {
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
    const auto it = std::find(m_addressFields.cbegin(), m_addressFields.cend(), field);
    if (it + 1 != m_addressFields.cend()) {
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
    // A tool run writing this configuration at the same moment is waited for, not interleaved.
    ConfigurationLock lock(QFileInfo(m_state.ParGen_File).path());
    if (!lock.acquire(&error, m_services.lockWaitMs) || !saveParameterFile(m_state.ParGen_File, Read_Values(), &error)) {
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
    if (Is_Change && !m_services.messages->question(this, m_state.text(Txt::EditorExitWithoutSaving)))
        return;
    StyledDialog::reject();
}

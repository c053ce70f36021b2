#pragma once

#include "params/EditorGroups.h"
#include "params/ParameterFile.h"
#include "widgets/StyledDialog.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class StyledButton;

// "Set Communication": the editor of the active configuration's parameter file.
class TFParGen : public StyledDialog {
    Q_OBJECT
public:
    TFParGen(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
    void Move_GroupBoxs();
    // Checks the shown values; reports the first broken rule and returns false.
    bool Controllo_Dati();

    // The shown values as a parameter set.
    ParameterValues Read_Values() const;

    // Expanded state of each group, kept from one opening to the next.
    bool GB_Serial_Visible = true;
    bool GB_ModbusSlave_Visible = true;
    bool GB_ModbusTCPSlave_Visible = true;
    // The user changed a value since the last load.
    bool Is_Change = false;

public slots:
    void reject() override; // Cancel, Escape and the close box

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A row of the table as built.
    struct Row {
        const EditorRow *def = nullptr;
        QWidget *caption = nullptr;
        QList<QWidget *> inputs;
    };
    struct Group {
        QGroupBox *box = nullptr;
        QPushButton *collapse = nullptr;
        QPushButton *expand = nullptr;
        QList<QWidget *> peeking; // what would show below the caption bar of the collapsed group
        QList<Row> rows;
        int layoutTop = 0; // the caption top of the first row the layout places
        bool *expanded = nullptr;
    };
    struct Caption {
        QWidget *control;
        int text; // -1: none
        int hint; // -1: none
    };

    void FormCreate();
    void FormShow(QString *loadError);
    void FormActivate();
    void Collapse_Expand_Creation();
    void RePosition_Objects_812(Group &group);
    void On_Change(QObject *sender);
    void On_Click();
    bool KeyPress(QLineEdit *field, QKeyEvent *event);
    void Btn_GB_Collapse(QObject *sender);
    void Btn_GB_Expande(QObject *sender);
    void Btn_OKClick();
    void Btn_CancelClick();

    void createControls();
    void createGroup(const EditorGroup &def);
    void addGroupBox(const EditorGroup &def, Group *group);
    QWidget *addRowCaption(QWidget *parent, const RowCaption &caption, int layoutTop);
    QWidget *addInput(QWidget *parent, const RowInput &input, int layoutTop);
    void addAddress(QWidget *parent, const EditorRow &row, Row *built);
    QComboBox *addList(QWidget *parent, Param::Id id, const QRect &geometry, int hint);
    QLineEdit *addField(QWidget *parent, Param::Id id, const QRect &geometry, int hint);
    bool *expandedFlag(const QString &group);
    void Load_Values(const ParameterValues &values);
    Group *groupOf(QObject *button);
    void setExpanded(Group *group, bool expanded);

    QList<Group> m_groups;                          // in the table's order
    std::array<QWidget *, Param::Count> m_inputs{}; // the control of each parameter
    QList<QLineEdit *> m_addressFields;             // in the order the dot key walks
    QList<Caption> m_captions;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    StyledButton *Btn_OK = nullptr;
    StyledButton *Btn_Cancel = nullptr;
};

#pragma once

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
    struct Group {
        QGroupBox *box = nullptr;
        QPushButton *collapse = nullptr;
        QPushButton *expand = nullptr;
        QLabel *firstCaption = nullptr;
        QComboBox *firstList = nullptr; // none in the Ethernet group
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
    void RePosition_Objects_812();
    void On_Change(QObject *sender);
    void On_Click();
    bool KeyPress(QLineEdit *field, QKeyEvent *event);
    void Btn_GB_Collapse(QObject *sender);
    void Btn_GB_Expande(QObject *sender);
    void Btn_OKClick();
    void Btn_CancelClick();

    void createControls();
    void createSerialGroup();
    void createModbusSlaveGroup();
    void createEthernetGroup();
    QGroupBox *addGroup(const QString &name, int captionText, Group *group, bool *expanded);
    QLabel *addCaption(QWidget *parent, const QString &name, int left, int top, int text, int hint = -1);
    QComboBox *addList(QWidget *parent, Param::Id id, int left, int top, int hint);
    QLineEdit *addField(QWidget *parent, Param::Id id, const QRect &geometry, int hint);
    QCheckBox *addCheck(QWidget *parent, Param::Id id, const QRect &geometry, int text, int hint);
    void Load_Values(const ParameterValues &values);
    Group *groupOf(QObject *button);
    void setExpanded(Group *group, bool expanded);

    Group m_serial;
    Group m_modbusSlave;
    Group m_ethernet;
    std::array<QWidget *, Param::Count> m_inputs{}; // the control of each parameter
    std::array<QLineEdit *, 12> m_ethernetFields{}; // in the order the dot key walks
    QList<Caption> m_captions;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Serial_ST_EndChar = nullptr;
    QLabel *L_Serial_ST_NumByte = nullptr;
    QLabel *CB_Serial_TimeOut = nullptr; // a caption despite its name
    StyledButton *Btn_OK = nullptr;
    StyledButton *Btn_Cancel = nullptr;
};

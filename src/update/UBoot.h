#pragma once

#include "widgets/StyledDialog.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class StyledButton;

// The update window: the device's address, what to update, the device check, the job file
// and the start of the external updater.
class TFBoot : public StyledDialog {
    Q_OBJECT
public:
    TFBoot(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
    void FormShow();
    void Btn_UpdateClick();
    bool Send_Ping();
    // Writes the update job file; false with the error's message when it cannot be saved.
    bool Compile_XML_Parameter(QString *error);

    qint32 Form_Type = 1;
    qint32 ping_res = 0;

    // Starts a program and waits for it (the main window's Start_Program).
    std::function<void(const QString &NomeSW, const QString &Parameter, bool tipo)> startProgram;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void showStatus(const QString &text);
    QStringList typedAddressParts() const; // the four fields as typed

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_IP_Address = nullptr;
    QLineEdit *E_IP[4] = {};
    QLabel *L_Update_Option = nullptr;
    QComboBox *CB_Update_Options = nullptr;
    QCheckBox *CB_Update_Option_Read_Back = nullptr;
    StyledButton *Btn_Cancel = nullptr;
    StyledButton *Btn_Update = nullptr;
    QLabel *L_Status = nullptr;

    bool m_checking = false;
    bool m_cancelRequested = false;
};

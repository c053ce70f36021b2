#pragma once

#include "widgets/StyledDialog.h"

class QLabel;
class QLineEdit;
class StyledButton;

// Asks for a name and creates the configuration's folder; OK only once it exists and is active.
class TFNew_Project : public StyledDialog {
    Q_OBJECT
public:
    TFNew_Project(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
    void Btn_OKClick();

protected:
    void showEvent(QShowEvent *event) override; // FormShow

private:
    void FormCreate();

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *E_New_Proj = nullptr;
    StyledButton *Btn_OK = nullptr;
    StyledButton *Btn_Cancel = nullptr;
};

#pragma once

#include "widgets/StyledDialog.h"

#include <QStringList>

class QLabel;
class QListWidget;
class StyledButton;

// Lists the configurations and returns the chosen one in Name_Conf; never changes the state.
class TFOpenConf : public StyledDialog {
    Q_OBJECT
public:
    TFOpenConf(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
    void FormShow();
    void ListBox1Click();

    QStringList SL;
    QString Name_Conf; // kept between showings

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void placeControls();

    QWidget *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *Label1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QWidget *P_Button = nullptr;
    StyledButton *Btn_OK = nullptr;
    StyledButton *Btn_Cancel = nullptr;
};

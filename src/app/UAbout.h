#pragma once

#include "widgets/StyledDialog.h"

class QLabel;

// What the program is: description, software code, version, manual code and the maker's address.
class TFAbout : public StyledDialog {
    Q_OBJECT
public:
    TFAbout(AppState &state, Services &services, QWidget *parent = nullptr);

    void Label4Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();

    QLabel *Label2 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label12 = nullptr;
};

#pragma once

#include "widgets/StyledDialog.h"

class TFNew_Project : public StyledDialog {
    Q_OBJECT
public:
    TFNew_Project(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
};

#pragma once

#include "widgets/StyledDialog.h"

class TFParGen : public StyledDialog {
    Q_OBJECT
public:
    TFParGen(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
};

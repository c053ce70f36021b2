#pragma once

#include "widgets/StyledDialog.h"

class TFSoftOptions : public StyledDialog {
    Q_OBJECT
public:
    TFSoftOptions(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();
};

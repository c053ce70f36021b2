#pragma once

#include "widgets/StyledDialog.h"

class TFBoot : public StyledDialog {
    Q_OBJECT
public:
    TFBoot(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();

    qint32 Form_Type = 1;
};

#pragma once

#include "widgets/StyledDialog.h"

class TFOpenConf : public StyledDialog {
    Q_OBJECT
public:
    TFOpenConf(AppState &state, Services &services, QWidget *parent = nullptr);

    void Set_Lang();

    QString Name_Conf;
};

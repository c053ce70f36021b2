#pragma once

#include "widgets/StyledDialog.h"

class TFAbout : public StyledDialog {
    Q_OBJECT
public:
    TFAbout(AppState &state, Services &services, QWidget *parent = nullptr);
};

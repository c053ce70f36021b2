#include "projects/UOpenConf.h"

#include "app/AppState.h"

TFOpenConf::TFOpenConf(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    Set_Lang();
}

void TFOpenConf::Set_Lang()
{
    setWindowTitle(m_state.text(200));
}

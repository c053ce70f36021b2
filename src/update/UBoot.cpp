#include "update/UBoot.h"

#include "app/AppState.h"

TFBoot::TFBoot(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFBoot"));
    Set_Lang();
}

void TFBoot::Set_Lang()
{
    setWindowTitle(m_state.text(602));
}

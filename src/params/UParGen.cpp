#include "params/UParGen.h"

#include "app/AppState.h"

TFParGen::TFParGen(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFParGen"));
    Set_Lang();
}

void TFParGen::Set_Lang()
{
    setWindowTitle(m_state.text(400));
}

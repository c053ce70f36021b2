#include "i18n/USoftOptions.h"

#include "app/AppState.h"

TFSoftOptions::TFSoftOptions(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFSoftOptions"));
    Set_Lang();
}

void TFSoftOptions::Set_Lang()
{
    setWindowTitle(m_state.text(300));
}

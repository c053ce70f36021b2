#include "projects/UNew_Project.h"

#include "app/AppState.h"

TFNew_Project::TFNew_Project(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    Set_Lang();
}

void TFNew_Project::Set_Lang()
{
    setWindowTitle(m_state.text(100));
}

#include "widgets/StyledDialog.h"

#include "widgets/Look.h"

#include <QShowEvent>

StyledDialog::StyledDialog(AppState &state, Services &services, QWidget *parent)
    : QDialog(parent), m_state(state), m_services(services)
{
    applyLook(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void StyledDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}

#include "widgets/StyledDialog.h"

#include "widgets/Look.h"

#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

namespace {
// The height the window system adds to a window for its title bar and borders.
int frameHeight(const QWidget *window)
{
    return window->frameGeometry().height() - window->height();
}
}

StyledDialog::StyledDialog(AppState &state, Services &services, QWidget *parent)
    : QDialog(parent), m_state(state), m_services(services)
{
    applyLook(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void StyledDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_scroll && windowHandle())
        connect(windowHandle(), &QWindow::screenChanged, this, &StyledDialog::fitToScreen, Qt::UniqueConnection);
    if (!event->spontaneous()) {
        fitToScreen();
        centreOnScreen(this);
    }
}

QWidget *StyledDialog::clientArea()
{
    if (!m_scroll) {
        m_scroll = new QScrollArea(this);
        m_scroll->setObjectName(QStringLiteral("SB_Client"));
        m_scroll->setFrameShape(QFrame::NoFrame);
        m_scroll->setFocusPolicy(Qt::NoFocus); // Tab goes from control to control, scrolling to each
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *client = new QWidget;
        client->setObjectName(QStringLiteral("P_Client"));
        m_scroll->setWidget(client);
    }
    return m_scroll->widget();
}

void StyledDialog::setClientSize(int width, int height)
{
    clientArea()->setFixedSize(width, height);
    fitToScreen();
}

void StyledDialog::fitToScreen()
{
    if (!m_scroll)
        return;
    const QSize client = m_scroll->widget()->size();
    int room = client.height();
    if (const QScreen *screen = this->screen()) {
        // Before its first showing a window has no frame yet; its parent's frame stands in.
        int frame = frameHeight(this);
        if (parentWidget())
            frame = std::max(frame, frameHeight(parentWidget()->window()));
        room = screen->availableGeometry().height() - frame;
    }
    const bool scrolls = client.height() > room;
    const int bar = scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll) : 0;
    m_scroll->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setFixedSize(client.width() + bar, scrolls ? room : client.height());
    m_scroll->setGeometry(rect());
}

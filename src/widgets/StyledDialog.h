#pragma once

#include <QDialog>

class QScrollArea;
struct AppState;
struct Services;

// Base of the modal windows: the common look, a close box only, centred when shown.
class StyledDialog : public QDialog {
    Q_OBJECT
public:
    StyledDialog(AppState &state, Services &services, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;

    // The surface on which a window that can outgrow the screen places its controls.
    QWidget *clientArea();
    // Gives the client area a fixed size. A window whose client area is taller than the work
    // area of its screen is as tall as the work area, and the client area scrolls in it;
    // otherwise the window has exactly the client area's size.
    void setClientSize(int width, int height);

    AppState &m_state;
    Services &m_services;

private:
    void fitToScreen();

    QScrollArea *m_scroll = nullptr;
};

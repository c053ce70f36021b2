#pragma once

#include <QDialog>

struct AppState;
struct Services;

// Base of the modal windows: the common look, a close box only, centred when shown.
class StyledDialog : public QDialog {
    Q_OBJECT
public:
    StyledDialog(AppState &state, Services &services, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;

    AppState &m_state;
    Services &m_services;
};

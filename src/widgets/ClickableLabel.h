#pragma once

#include <QLabel>

// A label (or picture) that acts on a click, like a web address in a dialog.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

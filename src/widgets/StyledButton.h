#pragma once

#include "widgets/Pictures.h"

#include <QPushButton>

// The flat command button of every window: a picture, a caption, a hint, one colour while
// the pointer rests on it and another while it is pressed.
class StyledButton : public QPushButton {
    Q_OBJECT
public:
    StyledButton(QWidget *parent, const QString &name, const QRect &geometry,
                 Picture picture = Picture::None, int pictureSize = 16);

    // The caption stands left of the picture (a "next" button reads that way).
    void setPictureOnRight(bool right);
    void setCaptionLeftAligned(bool left);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

#include "widgets/StyledButton.h"

#include "widgets/Look.h"
#include "widgets/LookStyle.h"

#include <QKeyEvent>

StyledButton::StyledButton(QWidget *parent, const QString &name, const QRect &geometry, Picture picture,
                           int pictureSize)
    : QPushButton(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setFont(lookFont());
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    // Never a dialog's default: Enter elsewhere in a window must not press a button the user
    // did not point at. Enter on the focused button itself presses it (keyPressEvent).
    setAutoDefault(false);
    setDefault(false);
    if (picture != Picture::None) {
        setIcon(pictureIcon(picture, pictureSize));
        setIconSize(QSize(pictureSize, pictureSize));
    }
    setCaptionLeftAligned(false);
    setStyle(lookStyle());
}

void StyledButton::setPictureOnRight(bool right)
{
    setLayoutDirection(right ? Qt::RightToLeft : Qt::LeftToRight);
}

void StyledButton::setCaptionLeftAligned(bool left)
{
    setProperty(kCommandCaption, uint(left ? Qt::AlignLeft : Qt::AlignHCenter));
    update();
}

void StyledButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

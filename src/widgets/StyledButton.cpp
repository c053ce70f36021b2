#include "widgets/StyledButton.h"

#include "widgets/Look.h"

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
    updateStyle();
}

void StyledButton::setPictureOnRight(bool right)
{
    setLayoutDirection(right ? Qt::RightToLeft : Qt::LeftToRight);
}

void StyledButton::setCaptionLeftAligned(bool left)
{
    m_captionLeft = left;
    updateStyle();
}

void StyledButton::updateStyle()
{
    setStyleSheet(QStringLiteral(
                      "QPushButton { background-color: rgb(252, 251, 245); border: 1px solid rgb(200, 197, 180);"
                      " border-radius: 3px; padding: 0px 6px; color: rgb(51, 51, 51); text-align: %1; }"
                      "QPushButton:hover { background-color: rgb(226, 238, 250); border-color: rgb(110, 160, 215); }"
                      "QPushButton:pressed { background-color: rgb(190, 215, 242); border-color: rgb(70, 125, 190); }"
                      "QPushButton:focus { border-color: rgb(110, 160, 215); }"
                      "QPushButton:disabled { color: rgb(160, 160, 160); }")
                      .arg(m_captionLeft ? QStringLiteral("left") : QStringLiteral("center")));
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

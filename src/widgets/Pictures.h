#pragma once

#include <QIcon>

// The pictures of the command buttons, drawn in code for this program.
enum class Picture {
    None,
    NewConfiguration,
    OpenConfiguration,
    SetCommunication,
    UpdateDevice,
    Information,
    Options,
    Close,
    Ok,
    Cancel,
    Previous,
    Next,
    CheckUpdate,
    Collapse, // a 9 x 9 black diagonal cross
    Expand,   // a 7 x 7 black plus sign
};

QIcon pictureIcon(Picture picture, int size);
QPixmap picturePixmap(Picture picture, int size);

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QWidget;

// The common look of every window.
inline constexpr QColor kBackgroundColour(248, 247, 237);
inline constexpr QColor kHeaderGrey(128, 128, 128);
inline constexpr QColor kTextGrey(96, 96, 96);

// Verdana (or the closest sans font the machine has) at the given point size.
QFont lookFont(int pointSize = 8, bool bold = false);

// Background colour and font of a window.
void applyLook(QWidget *window);

// Fixed client size, close box only.
void makeFixedWindow(QWidget *window, int clientWidth, int clientHeight);

// Centres a window on the screen's work area, never above its top edge.
void centreOnScreen(QWidget *window);

// A label at (left, top) that sizes itself to its text.
QLabel *addLabel(QWidget *parent, const QString &name, int left, int top,
                 const QFont &font = lookFont(), const QColor &colour = QColor());

// Sets a label's text and lets it grow or shrink to fit, as a desktop label does.
void setCaption(QLabel *label, const QString &text);

// Names the fields of a dotted address for a screen reader by the caption beside them and
// their place: "IP ADDRESS (1)" to "IP ADDRESS (4)".
void nameAddressFields(const QList<QWidget *> &fields, const QString &caption);

// Shows a label's text as one link to url (the label hands the link on through linkActivated).
void setLinkCaption(QLabel *label, const QString &url, const QString &text);

// The grey header across the top: L_SW_Code in large letters and the bold L_SW_Desc line.
struct Header {
    QWidget *panel = nullptr;
    QLabel *swCode = nullptr;
    QLabel *swDesc = nullptr;
};
Header addHeader(QWidget *parent, int width, const QString &panelName = QStringLiteral("P_Title"));

// A panel across the bottom that holds the command buttons.
QWidget *addButtonPanel(QWidget *parent, int top, int width, int height = 40);

#include "widgets/Look.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

QFont lookFont(int pointSize, bool bold)
{
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("Verdana"),
                                   {QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans"),
                                    QStringLiteral("Liberation Sans")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QStringLiteral("Verdana"), pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void applyLook(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kBackgroundColour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setFont(lookFont());
}

void makeFixedWindow(QWidget *window, int clientWidth, int clientHeight)
{
    window->setWindowFlags((window->windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(clientWidth, clientHeight);
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size();
    int left = area.left() + (area.width() - frame.width()) / 2;
    int top = area.top() + (area.height() - frame.height()) / 2;
    if (top < area.top())
        top = area.top();
    window->move(left, top);
}

QLabel *addLabel(QWidget *parent, const QString &name, int left, int top, const QFont &font,
                 const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    label->move(left, top);
    return label;
}

void setCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

void nameAddressFields(const QList<QWidget *> &fields, const QString &caption)
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        fields.at(i)->setAccessibleName(QStringLiteral("%1 (%2)").arg(caption.trimmed()).arg(i + 1));
}

void setLinkCaption(QLabel *label, const QString &url, const QString &text)
{
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), text.toHtmlEscaped()));
}

Header addHeader(QWidget *parent, int width, const QString &panelName)
{
    Header header;
    header.panel = new QWidget(parent);
    header.panel->setObjectName(panelName);
    header.panel->setGeometry(0, 0, width, 69);
    header.swCode = addLabel(header.panel, QStringLiteral("L_SW_Code"), 16, 8, lookFont(24), kHeaderGrey);
    header.swDesc = addLabel(header.panel, QStringLiteral("L_SW_Desc"), 16, 42, lookFont(8, true), kHeaderGrey);
    return header;
}

QWidget *addButtonPanel(QWidget *parent, int top, int width, int height)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("P_Button"));
    panel->setGeometry(0, top, width, height);
    auto *line = new QFrame(panel);
    line->setGeometry(0, 0, width, 1);
    line->setStyleSheet(QStringLiteral("background-color: rgb(216, 213, 196);"));
    return panel;
}

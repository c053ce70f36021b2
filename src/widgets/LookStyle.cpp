#include "widgets/LookStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOption>

namespace {

constexpr QColor kButtonFace(252, 251, 245);
constexpr QColor kButtonFaceHover(226, 238, 250);
constexpr QColor kButtonFaceDown(190, 215, 242);
constexpr QColor kButtonEdge(200, 197, 180);
constexpr QColor kButtonEdgeHover(110, 160, 215); // also the edge of the focused button
constexpr QColor kButtonEdgeDown(70, 125, 190);
constexpr QColor kButtonText(51, 51, 51);
constexpr QColor kButtonTextDisabled(160, 160, 160);
constexpr QColor kGroupEdge(200, 197, 180);

constexpr int kButtonRadius = 3;
constexpr int kButtonPadding = 6; // left and right of the caption, inside the edge
constexpr int kPictureSpacing = 4;
constexpr int kGroupRadius = 2;
constexpr int kGroupFrameTop = 6; // the frame starts halfway down the title
constexpr int kGroupTitleLeft = 7;

// A one-pixel edge with rounded corners around `rect`, over `face` (none: Qt::NoBrush). The
// straight edges are whole pixels; each corner is two eighth-circle arcs meeting on its
// diagonal, smoothed, so the corners blend into what lies below.
void drawRoundedFrame(QPainter *painter, const QRect &rect, int radius, const QColor &edge, const QBrush &face)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect);
    const qreal d = 2 * radius - 1; // the corner circles' diameter, through the edge's middle
    if (face.style() != Qt::NoBrush) {
        QPainterPath inside;
        inside.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
        painter->fillPath(inside, face);
    }
    painter->setPen(Qt::NoPen);
    painter->setBrush(edge);
    painter->drawRect(QRectF(r.left() + radius, r.bottom() - 1, r.width() - 2 * radius, 1));
    painter->drawRect(QRectF(r.right() - 1, r.top() + radius, 1, r.height() - 2 * radius));
    painter->drawRect(QRectF(r.left(), r.top() + radius, 1, r.height() - 2 * radius));
    painter->drawRect(QRectF(r.left() + radius, r.top(), r.width() - 2 * radius, 1));
    QPen pen(edge, 1, Qt::SolidLine, Qt::SquareCap);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const QRectF topLeft(r.left() + 0.5, r.top() + 0.5, d, d);
    const QRectF topRight(r.right() - 2 * radius + 0.5, r.top() + 0.5, d, d);
    const QRectF bottomLeft(r.left() + 0.5, r.bottom() - 2 * radius + 0.5, d, d);
    const QRectF bottomRight(r.right() - 2 * radius + 0.5, r.bottom() - 2 * radius + 0.5, d, d);
    // Angles in sixteenths of a degree, counter-clockwise from three o'clock.
    painter->drawArc(bottomLeft, -90 * 16, -45 * 16);
    painter->drawArc(bottomRight, -90 * 16, 45 * 16);
    painter->drawArc(topRight, 45 * 16, -45 * 16);
    painter->drawArc(bottomRight, 315 * 16, 45 * 16);
    painter->drawArc(topLeft, 135 * 16, 45 * 16);
    painter->drawArc(bottomLeft, 180 * 16, 45 * 16);
    painter->drawArc(topLeft, 135 * 16, -45 * 16);
    painter->drawArc(topRight, 45 * 16, 45 * 16);
    painter->restore();
}

QRect groupTitleRect(const QStyleOptionGroupBox &option)
{
    const QFontMetrics &metrics = option.fontMetrics;
    // Room for the title and a blank after it, where the frame line is left out.
    const int width = std::max(metrics.horizontalAdvance(option.text),
                               metrics.size(Qt::TextShowMnemonic, option.text + u' ').width());
    return QRect(option.rect.left() + kGroupTitleLeft, option.rect.top(), width, metrics.height());
}

} // namespace

void LookStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element == CE_PushButton && button) {
        if (widget && widget->property(kCommandCaption).isValid())
            drawCommandButton(*button, painter, widget);
        else
            drawPictureButton(*button, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void LookStyle::drawCommandButton(const QStyleOptionButton &option, QPainter *painter, const QWidget *widget) const
{
    const bool enabled = option.state & State_Enabled;
    const bool down = option.state & (State_Sunken | State_On);
    const bool hover = option.state & State_MouseOver;
    const bool focus = option.state & State_HasFocus;
    const QColor face = down ? kButtonFaceDown : hover ? kButtonFaceHover : kButtonFace;
    const QColor edge = focus ? kButtonEdgeHover : down ? kButtonEdgeDown : hover ? kButtonEdgeHover : kButtonEdge;
    drawRoundedFrame(painter, option.rect, kButtonRadius, edge, face);

    // The picture and the caption side by side, as one block centred or at the left; a
    // right-to-left button shows them mirrored.
    const QRect contents = subElementRect(SE_PushButtonContents, &option, widget);
    uint flags = Qt::TextShowMnemonic | Qt::AlignVCenter | widget->property(kCommandCaption).toUInt();
    if (!proxy()->styleHint(SH_UnderlineShortcut, &option, widget))
        flags |= Qt::TextHideMnemonic;
    QRect textRect = contents;
    const int shiftX = down ? proxy()->pixelMetric(PM_ButtonShiftHorizontal, &option, widget) : 0;
    const int shiftY = down ? proxy()->pixelMetric(PM_ButtonShiftVertical, &option, widget) : 0;
    if (!option.icon.isNull()) {
        QIcon::Mode mode = !enabled ? QIcon::Disabled : focus ? QIcon::Active : QIcon::Normal;
        const QPixmap pixmap = option.icon.pixmap(option.iconSize, painter->device()->devicePixelRatio(), mode,
                                                  option.state & State_On ? QIcon::On : QIcon::Off);
        const QSize size = pixmap.deviceIndependentSize().toSize();
        int blockWidth = size.width();
        if (!option.text.isEmpty())
            blockWidth += option.fontMetrics.boundingRect(contents, int(flags), option.text).width() + kPictureSpacing;
        const int left = flags & Qt::AlignLeft ? contents.x() : contents.x() + (contents.width() - blockWidth) / 2;
        QRect pictureRect(left, contents.y() + (contents.height() - size.height()) / 2, size.width(), size.height());
        pictureRect = visualRect(option.direction, contents, pictureRect);
        flags = (flags & ~uint(Qt::AlignHorizontal_Mask)) | Qt::AlignLeft;
        if (option.direction == Qt::RightToLeft)
            textRect.setRight(pictureRect.left() - kPictureSpacing);
        else
            textRect.setLeft(pictureRect.right() + 1 + kPictureSpacing);
        painter->drawPixmap(pictureRect.translated(shiftX, shiftY), pixmap);
    }
    QPalette palette = option.palette;
    palette.setColor(QPalette::ButtonText, enabled ? kButtonText : kButtonTextDisabled);
    proxy()->drawItemText(painter, textRect.translated(shiftX, shiftY), int(flags), palette, enabled, option.text,
                          QPalette::ButtonText);

    if (focus && (option.state & State_KeyboardFocusChange)) {
        QStyleOptionFocusRect focusRect;
        focusRect.QStyleOption::operator=(option);
        focusRect.rect = contents;
        proxy()->drawPrimitive(PE_FrameFocusRect, &focusRect, painter, widget);
    }
}

void LookStyle::drawPictureButton(const QStyleOptionButton &option, QPainter *painter, const QWidget *widget) const
{
    if (option.state & State_MouseOver)
        painter->fillRect(option.rect, kButtonFaceHover);
    if (option.icon.isNull())
        return;
    const QPixmap pixmap = option.icon.pixmap(option.iconSize, painter->device()->devicePixelRatio());
    const QSize size = pixmap.deviceIndependentSize().toSize();
    QRect pictureRect(option.rect.x() + (option.rect.width() - size.width()) / 2,
                      option.rect.y() + (option.rect.height() - size.height()) / 2, size.width(), size.height());
    if (option.state & (State_Sunken | State_On))
        pictureRect.translate(proxy()->pixelMetric(PM_ButtonShiftHorizontal, &option, widget),
                              proxy()->pixelMetric(PM_ButtonShiftVertical, &option, widget));
    painter->drawPixmap(pictureRect, pixmap);
}

void LookStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                   const QWidget *widget) const
{
    const auto *group = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !group) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The frame line stops either side of the title, which sits on it.
    const QRect title = subControlRect(CC_GroupBox, group, SC_GroupBoxLabel, widget);
    painter->save();
    if (!group->text.isEmpty())
        painter->setClipRegion(QRegion(group->rect) - title);
    drawRoundedFrame(painter, subControlRect(CC_GroupBox, group, SC_GroupBoxFrame, widget), kGroupRadius, kGroupEdge,
                     Qt::NoBrush);
    painter->restore();
    if (group->text.isEmpty())
        return;
    QPalette palette = group->palette;
    if (group->textColor.isValid())
        palette.setColor(QPalette::WindowText, group->textColor);
    int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!proxy()->styleHint(SH_UnderlineShortcut, option, widget))
        flags |= Qt::TextHideMnemonic;
    proxy()->drawItemText(painter, title, flags, palette, group->state & State_Enabled, group->text, QPalette::WindowText);
}

QRect LookStyle::subElementRect(SubElement element, const QStyleOption *option, const QWidget *widget) const
{
    if ((element == SE_PushButtonContents || element == SE_PushButtonFocusRect) && qobject_cast<const QPushButton *>(widget)) {
        if (!widget->property(kCommandCaption).isValid())
            return option->rect;
        return visualRect(option->direction, option->rect,
                          option->rect.adjusted(1 + kButtonPadding, 1, -1 - kButtonPadding, -1));
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QRect LookStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                                const QWidget *widget) const
{
    const auto *group = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !group)
        return QProxyStyle::subControlRect(control, option, sub, widget);
    switch (sub) {
    case SC_GroupBoxFrame:
        return option->rect.adjusted(0, kGroupFrameTop, 0, 0);
    case SC_GroupBoxContents:
        return option->rect.adjusted(1, kGroupFrameTop + 1, -1, -1);
    case SC_GroupBoxLabel:
        return groupTitleRect(*group);
    default:
        return QRect();
    }
}

QStyle *lookStyle()
{
    // Owned by the application, so that it outlives every widget that uses it.
    static LookStyle *style = [] {
        auto *made = new LookStyle;
        made->setParent(qApp);
        return made;
    }();
    return style;
}

#pragma once

#include <QProxyStyle>

class QStyleOptionButton;

// The look of the flat command buttons (StyledButton), of the editor's group frames and of the
// bare picture buttons that collapse them, drawn in code. One instance serves every such
// widget, which takes it with setStyle; all else is drawn by the application's style.
// A push button is a command button when it carries the property kCommandCaption, the
// Qt::Alignment of its caption (left or centred); else it is a bare picture.
inline constexpr char kCommandCaption[] = "commandCaption";

class LookStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption *option, const QWidget *widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget) const override;

private:
    void drawCommandButton(const QStyleOptionButton &option, QPainter *painter, const QWidget *widget) const;
    void drawPictureButton(const QStyleOptionButton &option, QPainter *painter, const QWidget *widget) const;
};

// The one LookStyle of the process, made when the first widget asks for it.
QStyle *lookStyle();

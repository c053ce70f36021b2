#include "app/UAbout.h"

#include "core/Constants.h"
#include "widgets/ClickableLabel.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

namespace {

constexpr int kClientWidth = 406;
constexpr int kClientHeight = 148;
constexpr QColor kAboutText(51, 51, 51);

// The maker's mark, drawn for this program: a rounded blue square with a white "N" wave.
QPixmap logoPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(2, 2, size - 4, size - 4);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor(38, 110, 180));
    fill.setColorAt(1, QColor(18, 60, 120));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, size * 0.18, size * 0.18);
    QPainterPath mark;
    const qreal s = size;
    mark.moveTo(0.26 * s, 0.74 * s);
    mark.lineTo(0.26 * s, 0.26 * s);
    mark.lineTo(0.74 * s, 0.74 * s);
    mark.lineTo(0.74 * s, 0.26 * s);
    painter.setPen(QPen(Qt::white, size * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mark);
    painter.setPen(QPen(QColor(250, 200, 60), size * 0.05, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0.2 * s, 0.86 * s), QPointF(0.8 * s, 0.86 * s));
    return pixmap;
}

QLabel *addText(QWidget *parent, const QString &name, int left, int top, const QString &text,
                const QFont &font = lookFont())
{
    QLabel *label = addLabel(parent, name, left, top, font, kAboutText);
    setCaption(label, text);
    return label;
}

} // namespace

TFAbout::TFAbout(AppState &state, Services &services, QWidget *parent)
    : StyledDialog(state, services, parent)
{
    setObjectName(QStringLiteral("TFAbout"));
    setWindowTitle(QStringLiteral("About..."));
    makeFixedWindow(this, kClientWidth, kClientHeight);

    auto *image2 = new ClickableLabel(this);
    image2->setObjectName(QStringLiteral("Image2"));
    image2->setGeometry(32, 24, 81, 81);
    image2->setScaledContents(true);
    image2->setPixmap(logoPixmap(81));
    image2->setCursor(Qt::PointingHandCursor);
    image2->setAccessibleName(kWebAddressShown); // it opens the page the address below names
    connect(image2, &ClickableLabel::clicked, this, &TFAbout::Label4Click);

    addText(this, QStringLiteral("Label1"), 128, 24, QStringLiteral("Software Zentrel "), lookFont(10, true));
    Label2 = addText(this, QStringLiteral("Label2"), 128, 39, kSwDesc);
    addText(this, QStringLiteral("Label6"), 128, 62, QStringLiteral("Software Code : "));
    Label9 = addText(this, QStringLiteral("Label9"), 240, 62, kSwCode);
    addText(this, QStringLiteral("Label3"), 128, 77, QStringLiteral("Version :"));
    Label10 = addText(this, QStringLiteral("Label10"), 240, 77, kSwVersion);
    addText(this, QStringLiteral("Label8"), 128, 93, QStringLiteral("Document Code :"));
    Label12 = addText(this, QStringLiteral("Label12"), 240, 93, kDocumentCode);

    auto *label4 = new ClickableLabel(this);
    label4->setObjectName(QStringLiteral("Label4"));
    QFont linkFont = lookFont();
    linkFont.setUnderline(true);
    label4->setFont(linkFont);
    QPalette palette = label4->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label4->setPalette(palette);
    label4->setCursor(Qt::PointingHandCursor);
    label4->move(297, 131);
    setCaption(label4, kWebAddressShown);
    connect(label4, &ClickableLabel::clicked, this, &TFAbout::Label4Click);

    auto *ok = new StyledButton(this, QStringLiteral("LbButton1"), QRect(32, 115, 81, 22), Picture::Ok);
    ok->setText(QStringLiteral("OK"));
    connect(ok, &StyledButton::clicked, this, &QDialog::accept);
}

void TFAbout::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    StyledDialog::showEvent(event);
}

void TFAbout::FormShow()
{
    setCaption(Label2, kSwDesc);
    setCaption(Label9, kSwCode);
    setCaption(Label10, kSwVersion);
    setCaption(Label12, kDocumentCode);
    setFixedSize(kClientWidth, kClientHeight);
}

void TFAbout::Label4Click()
{
    if (m_services.openUrl)
        m_services.openUrl(QUrl(homePageUrl()));
}

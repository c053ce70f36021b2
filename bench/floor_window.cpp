// The floor the configurator's start is measured against: a bare Qt window with the main
// window's client size, one label and one button, nothing else.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.setFixedSize(694, 352);
    auto *label = new QLabel(QStringLiteral("Floor window"), &window);
    label->move(16, 16);
    auto *button = new QPushButton(QStringLiteral("Close"), &window);
    button->setGeometry(16, 48, 112, 28);
    QObject::connect(button, &QPushButton::clicked, &window, &QWidget::close);
    window.show();
    return app.exec();
}

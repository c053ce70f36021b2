// Every window fits its screen. The tests run with two screens (tests/support/screens.json):
// "Desk", 1280 x 1024, and "Laptop", 1366 x 768, a common screen on the plant floor.
#include "app/UAbout.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "i18n/Language.h"
#include "i18n/USoftOptions.h"
#include "params/ParameterFile.h"
#include "params/UParGen.h"
#include "projects/Configurations.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "support/TestSupport.h"
#include "update/UBoot.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// The main window and the six windows it owns, with the main window on `screen`.
struct Windows {
    explicit Windows(TestWorkspace &ws, QScreen *screen) : main(Create_Windows(ws.state, ws.services))
    {
        QCOMPARE_EQ(createConfiguration(ws.state.Dir_Projects, QStringLiteral("Line 1")), NewConfigurationResult::Created);
        activateConfiguration(ws.state, QStringLiteral("Line 1"));
        main->move(screen->availableGeometry().topLeft() + QPoint(20, 20));
        main->show();
    }
    QList<QWidget *> all() const
    {
        return {main.get(), main->FNew_Project, main->FOpenConf, main->FAbout, main->FSoftOptions, main->FParGen,
                main->FBoot};
    }
    std::unique_ptr<TFZentreleFirmWare> main;
};

QScrollArea *scrollOf(QWidget *editor)
{
    return editor->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

class TestScreenFit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyWindowFitsTheScreen_data();
    void everyWindowFitsTheScreen();
    void editorScrollsOnlyWhereTheScreenIsTooShort_data();
    void editorScrollsOnlyWhereTheScreenIsTooShort();
    void okIsReachableOnTheLaptop();
    void tabScrollsToTheFocusedControl();
};

void TestScreenFit::initTestCase()
{
    // A plain offscreen run has one 800 x 800 screen; these tests need the configured two.
    QScreen *laptop = screenNamed(QStringLiteral("Laptop"));
    QVERIFY2(laptop, "run with QT_QPA_PLATFORM=offscreen:configfile=tests/support/screens.json, as ctest does");
    QCOMPARE(laptop->availableGeometry().size(), QSize(1366, 768));
    QCOMPARE(screenNamed(QStringLiteral("Desk"))->availableGeometry().size(), QSize(1280, 1024));
}

void TestScreenFit::everyWindowFitsTheScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::newRow("1366 x 768") << QStringLiteral("Laptop");
    QTest::newRow("1280 x 1024") << QStringLiteral("Desk");
}

void TestScreenFit::everyWindowFitsTheScreen()
{
    QFETCH(QString, screen);
    TestWorkspace ws;
    Windows windows(ws, screenNamed(screen));
    for (QWidget *window : windows.all()) {
        window->show();
        QCOMPARE(window->screen()->name(), screen);
        const QRect area = window->screen()->availableGeometry();
        QVERIFY2(area.contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4 x %5 (with its frame)")
                                .arg(window->objectName())
                                .arg(window->frameGeometry().x())
                                .arg(window->frameGeometry().y())
                                .arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())));
        if (window != windows.main.get())
            window->hide();
    }
}

void TestScreenFit::editorScrollsOnlyWhereTheScreenIsTooShort_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<bool>("scrolls");
    QTest::addColumn<int>("buttonsTop"); // inside the client area, as laid out

    QTest::newRow("1280 x 1024: as laid out") << QStringLiteral("Desk") << false << false << 910;
    QTest::newRow("1366 x 768: scrolls") << QStringLiteral("Laptop") << false << true << 910;
    QTest::newRow("1366 x 768, groups collapsed: as laid out") << QStringLiteral("Laptop") << true << false << 173;
}

void TestScreenFit::editorScrollsOnlyWhereTheScreenIsTooShort()
{
    QFETCH(QString, screen);
    QFETCH(bool, collapsed);
    QFETCH(bool, scrolls);
    QFETCH(int, buttonsTop);

    TestWorkspace ws;
    Windows windows(ws, screenNamed(screen));
    TFParGen *editor = windows.main->FParGen;
    editor->show();
    if (collapsed) {
        for (const char *name : {"Btn_Serial_Collapse", "Btn_ModbusSlave_Collapse", "Btn_ModbusTCPSlave_Collapse"})
            editor->findChild<QPushButton *>(QLatin1StringView(name))->click();
    }
    const QSize client(312, buttonsTop + 41);
    const QRect area = editor->screen()->availableGeometry();
    QVERIFY(area.contains(editor->frameGeometry()));

    QScrollArea *scroll = scrollOf(editor);
    QVERIFY(scroll);
    QCOMPARE(scroll->widget()->size(), client);
    QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolls);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    if (scrolls) {
        // As tall as the work area allows, and wider by the scroll bar so nothing is covered.
        QCOMPARE(editor->frameGeometry().height(), area.height());
        QCOMPARE(editor->width(), client.width() + scroll->verticalScrollBar()->width());
        QCOMPARE(scroll->viewport()->width(), client.width());
    } else {
        QCOMPARE(editor->size(), client);
    }
    // The controls keep their places inside the client area.
    QCOMPARE(editor->findChild<QGroupBox *>(QStringLiteral("GB_Serial"))->geometry(),
             QRect(8, 70, 296, collapsed ? 26 : 295));
    QCOMPARE(editor->findChild<QPushButton *>(QStringLiteral("Btn_OK"))->geometry(), QRect(71, buttonsTop, 112, 28));

    // Expanding again on the short screen brings the scroll bar back.
    if (collapsed) {
        for (const char *name : {"Btn_Serial_Expande", "Btn_ModbusSlave_Expande", "Btn_ModbusTCPSlave_Expande"})
            editor->findChild<QPushButton *>(QLatin1StringView(name))->click();
        QVERIFY(scroll->verticalScrollBar()->isVisible());
        QVERIFY(area.contains(editor->frameGeometry()));
    }
}

void TestScreenFit::okIsReachableOnTheLaptop()
{
    TestWorkspace ws;
    Windows windows(ws, screenNamed(QStringLiteral("Laptop")));
    TFParGen *editor = windows.main->FParGen;
    editor->show();
    auto *ok = editor->findChild<QPushButton *>(QStringLiteral("Btn_OK"));
    const auto pointInWindow = [&] { return ok->mapTo(editor, ok->rect().center()); };
    QVERIFY(!editor->rect().contains(pointInWindow())); // below the window's edge at first

    // Scrolled to the end, as the user drags the scroll bar, OK is in sight and takes a click
    // on the window where it is shown.
    QScrollBar *bar = scrollOf(editor)->verticalScrollBar();
    bar->setValue(bar->maximum());
    QVERIFY(editor->rect().contains(ok->mapTo(editor, ok->rect().topLeft())));
    QVERIFY(editor->rect().contains(ok->mapTo(editor, ok->rect().bottomRight())));
    QTest::mouseClick(editor->windowHandle(), Qt::LeftButton, {}, pointInWindow());
    QVERIFY(!editor->isVisible());
    QCOMPARE(editor->result(), int(QDialog::Accepted));
    QVERIFY(QFileInfo::exists(ws.state.ParGen_File));
}

void TestScreenFit::tabScrollsToTheFocusedControl()
{
    TestWorkspace ws;
    Windows windows(ws, screenNamed(QStringLiteral("Laptop")));
    TFParGen *editor = windows.main->FParGen;
    editor->show();
    QApplication::setActiveWindow(editor);
    QVERIFY(QTest::qWaitForWindowActive(editor, kPatienceMs));
    auto *ok = editor->findChild<QPushButton *>(QStringLiteral("Btn_OK"));
    for (int i = 0; i < 60 && QApplication::focusWidget() != ok; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : editor, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);
    QVERIFY(editor->rect().contains(QRect(ok->mapTo(editor, QPoint(0, 0)), ok->size())));
}

QTEST_MAIN(TestScreenFit)
#include "test_screen_fit.moc"

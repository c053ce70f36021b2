#include "app/Settings.h"
#include "app/UAbout.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/Constants.h"
#include "i18n/Language.h"
#include "i18n/LanguageList.h"
#include "i18n/USoftOptions.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestSoftOptions : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void paging_data();
    void paging();
    void listOrderAndWhatIsLeftOut();
    void slot3OfPage2ChoosesEntry8();
    void languageQuestion_data();
    void languageQuestion();
    void unreadableLanguageFileKeepsTheLanguage();
    void flagPictures();
    void enablingRule_data();
    void enablingRule();
    void okWritesSettingsAtOnce();
    void checkButton_data();
    void checkButton();
    void aboutWindow();
};

namespace {

QByteArray bmp(int width, int height, QRgb fill, QRgb bottomLeft)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    image.setPixel(0, height - 1, bottomLeft);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

template <typename T> T *child(QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QLabel *label(QWidget *window, const QString &name) { return child<QLabel>(window, name); }

void writeLanguages(TestWorkspace &ws, const QStringList &names)
{
    for (const QString &name : names)
        ws.writeFile(QStringLiteral("LANGUAGE/") + name + QStringLiteral(".lng"), "STR0 = " + name.toUtf8() + "\r\n");
}

// The options window as the program builds it, the main window behind it.
struct Windows {
    explicit Windows(TestWorkspace &ws) : main(Create_Windows(ws.state, ws.services)), options(main->FSoftOptions) {}
    std::unique_ptr<TFZentreleFirmWare> main;
    TFSoftOptions *options;
};

QStringList shownNames(TFSoftOptions *options)
{
    QStringList names;
    for (int k = 1; k <= 6; ++k) {
        QLabel *name = label(options, QStringLiteral("L_L%1").arg(k));
        if (!name->isHidden())
            names << name->text();
    }
    return names;
}

} // namespace

void TestSoftOptions::layout()
{
    TestWorkspace ws;
    Windows w(ws);
    w.options->show();
    QCOMPARE(w.options->size(), QSize(509, 373));
    QCOMPARE(w.options->windowTitle(), QStringLiteral("Software Options"));
    auto *pages = child<QTabWidget>(w.options, QStringLiteral("PC_Options"));
    QCOMPARE(pages->count(), 3);
    const char *tabs[][2] = {{"TS_Language", "Language"}, {"TS_Con_Options", "Connection Options"},
                             {"TS_Soft_Settings", "Software Settings"}};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(pages->widget(i)->objectName(), QString::fromLatin1(tabs[i][0]));
        QCOMPARE(pages->tabText(i), QString::fromLatin1(tabs[i][1]));
    }
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TS_Language"));
    QCOMPARE(child<QPushButton>(w.options, QStringLiteral("Btn_Prev"))->geometry(), QRect(12, 204, 110, 28));
    QCOMPARE(child<QPushButton>(w.options, QStringLiteral("Btn_Next"))->geometry(), QRect(379, 205, 110, 28));
    QCOMPARE(child<QPushButton>(w.options, QStringLiteral("Btn_Check_Update"))->geometry(), QRect(36, 78, 204, 28));
    QCOMPARE(child<QPushButton>(w.options, QStringLiteral("Btn_OK"))->mapTo(w.options, QPoint()), QPoint(16, 339));
    QCOMPARE(child<QWidget>(w.options, QStringLiteral("I_L2"))->geometry(), QRect(26, 94, 48, 48));
    QCOMPARE(label(w.options, QStringLiteral("L_L6"))->pos(), QPoint(310, 164));
    QCOMPARE(label(w.options, QStringLiteral("L_Sel_Lang"))->text(), QStringLiteral("Selected Language : English"));
    QCOMPARE(label(w.options, QStringLiteral("L_SW_Code"))->text(), QStringLiteral("KV40812"));
    QVERIFY(label(w.options, QStringLiteral("LL_Check_Update"))->isHidden());
    w.options->reject();
}

void TestSoftOptions::paging_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<bool>("next");
    QTest::addColumn<QString>("pageLabel");
    QTest::newRow("7, page 1") << 7 << 1 << 6 << false << true << "Page 1 / 2";
    QTest::newRow("7, page 2") << 7 << 2 << 1 << true << false << "Page 2 / 2";
    QTest::newRow("6") << 6 << 1 << 6 << false << false << "Page 1 / 1";
    QTest::newRow("12, page 2") << 12 << 2 << 6 << true << false << "Page 2 / 2";
    QTest::newRow("13, page 2") << 13 << 2 << 6 << true << true << "Page 2 / 3";
    QTest::newRow("none") << 0 << 1 << 0 << false << true << "Page 1 / 0";
}

void TestSoftOptions::paging()
{
    QFETCH(int, files);
    QFETCH(int, page);
    QFETCH(int, slotCount);
    QFETCH(bool, previous);
    QFETCH(bool, next);
    QFETCH(QString, pageLabel);
    TestWorkspace ws;
    QStringList names;
    for (int i = 0; i < files; ++i)
        names << QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0'));
    writeLanguages(ws, names);
    Windows w(ws);
    w.options->show();
    auto *nextButton = child<QPushButton>(w.options, QStringLiteral("Btn_Next"));
    for (int p = 1; p < page; ++p)
        QTest::mouseClick(nextButton, Qt::LeftButton);
    QCOMPARE(shownNames(w.options), names.mid((page - 1) * 6, slotCount));
    for (int k = slotCount + 1; k <= 6; ++k)
        QVERIFY(child<QWidget>(w.options, QStringLiteral("I_L%1").arg(k))->isHidden());
    QCOMPARE(!child<QWidget>(w.options, QStringLiteral("Btn_Prev"))->isHidden(), previous);
    QCOMPARE(!nextButton->isHidden(), next);
    QCOMPARE(label(w.options, QStringLiteral("L_Page_Lang"))->text(), pageLabel);
    if (files == 0) { // Next stays visible but changes nothing
        QTest::mouseClick(nextButton, Qt::LeftButton);
        QCOMPARE(label(w.options, QStringLiteral("L_Page_Lang"))->text(), pageLabel);
    }
    w.options->reject();
}

void TestSoftOptions::listOrderAndWhatIsLeftOut()
{
    TestWorkspace ws;
    // Accented capitals sort with their letter, not after Z; a name XML cannot hold could never
    // be remembered in the settings file, and a hidden one would not be taken from it.
    writeLanguages(ws, {QStringLiteral("english"), QStringLiteral("Deutsch"), QStringLiteral("Zulu"),
                        QStringLiteral("ReadOnly"), QStringLiteral(".hidden"), QStringLiteral("Íslenska"),
                        QStringLiteral("Español"), QStringLiteral("Odd\uFFFF")});
    // Windows refuses control characters in names: there, no such file exists to leave out.
    QFile control(ws.path(QStringLiteral("LANGUAGE/Bad\u0001Name.lng")));
    if (control.open(QIODevice::WriteOnly))
        control.write("STR0 = x\r\n");
    control.close();
    QFile::setPermissions(ws.path(QStringLiteral("LANGUAGE/ReadOnly.lng")), QFile::ReadOwner | QFile::ReadGroup);
    ws.writeFile(QStringLiteral("LANGUAGE/Upper.LNG"), "STR0 = x");
    ws.writeFile(QStringLiteral("LANGUAGE/notes.lng.txt"), "STR0 = x");
    ws.writeFile(QStringLiteral("LANGUAGE/.lng"), "STR0 = x");
    QDir().mkpath(ws.path(QStringLiteral("LANGUAGE/Folder.lng")));
    // Windows makes a shortcut file, no link: there is no link to leave out.
    if (QFile::link(ws.path(QStringLiteral("LANGUAGE/Zulu.lng")), ws.path(QStringLiteral("LANGUAGE/Link.lng")))
        && !QFileInfo(ws.path(QStringLiteral("LANGUAGE/Link.lng"))).isSymLink())
        QFile::remove(ws.path(QStringLiteral("LANGUAGE/Link.lng")));

    const QStringList listed = listLanguageFiles(ws.state.Dir_Language);
    QCOMPARE(listed, (QStringList{QStringLiteral("Deutsch.lng"), QStringLiteral("english.lng"), QStringLiteral("Español.lng"),
                                  QStringLiteral("Íslenska.lng"), QStringLiteral("Zulu.lng")}));
    // Every listed language loads under its own name.
    for (const QString &file : listed) {
        ws.state.Language_Name = languageDisplayName(file);
        QString error;
        QVERIFY(Load_Language(ws.state, &error));
        QCOMPARE(ws.state.Language_Name, languageDisplayName(file));
    }
}

void TestSoftOptions::slot3OfPage2ChoosesEntry8()
{
    TestWorkspace ws;
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("Lang%1").arg(QChar(u'a' + i));
    writeLanguages(ws, names);
    ws.messages.answer = false;
    Windows w(ws);
    w.options->show();
    QTest::mouseClick(child<QPushButton>(w.options, QStringLiteral("Btn_Next")), Qt::LeftButton);
    QTest::mouseClick(label(w.options, QStringLiteral("L_L3")), Qt::LeftButton);
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Langi?")});
    ws.messages.clear();
    QTest::mouseClick(child<QWidget>(w.options, QStringLiteral("I_L3")), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(ws.messages.texts().size(), 1);
    w.options->reject();
}

void TestSoftOptions::languageQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes, then Cancel") << true;
    QTest::newRow("No") << false;
}

void TestSoftOptions::languageQuestion()
{
    QFETCH(bool, yes);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Deutsch.lng"), "STR0 = Anfang\r\nSTR302 = Sprache\r\nSTR304 = Sprache: \r\n");
    ws.writeFile(QStringLiteral("LANGUAGE/English.lng"), "STR0 = Begin\r\n");
    ws.messages.answer = yes;
    Windows w(ws);
    w.options->show();
    QTest::mouseClick(label(w.options, QStringLiteral("L_L1")), Qt::LeftButton);
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Do you want to change the Language from English to Deutsch?")});
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    auto *pages = child<QTabWidget>(w.options, QStringLiteral("PC_Options"));
    QCOMPARE(label(w.main.get(), "L_Begin")->text(), yes ? QStringLiteral("Anfang") : QStringLiteral("Begin"));
    QCOMPARE(pages->tabText(0), yes ? QStringLiteral("Sprache") : QStringLiteral("Language"));
    QCOMPARE(label(w.options, QStringLiteral("L_Sel_Lang"))->text(),
             yes ? QStringLiteral("Sprache:Deutsch") : QStringLiteral("Selected Language : English"));
    QCOMPARE(w.options->Language_In_Use, yes ? QStringLiteral("Deutsch") : QStringLiteral("English"));

    // Cancel keeps the new texts but not the stored name.
    w.options->reject();
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QCOMPARE(label(w.main.get(), "L_Begin")->text(), yes ? QStringLiteral("Anfang") : QStringLiteral("Begin"));
    w.options->show();
    QCOMPARE(label(w.options, QStringLiteral("L_Sel_Lang"))->text().endsWith(QStringLiteral("English")), true);
    w.options->reject();
}

void TestSoftOptions::unreadableLanguageFileKeepsTheLanguage()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Deutsch.lng"), "STR0 = Anfang\r\n");
    ws.writeFile(QStringLiteral("LANGUAGE/Locked.lng"), "STR0 = x\r\n");
    ws.state.Language_Name = QStringLiteral("Deutsch");
    Windows w(ws);
    if (QFile::setPermissions(ws.path(QStringLiteral("LANGUAGE/Locked.lng")), QFile::WriteOwner);
        QFile(ws.path(QStringLiteral("LANGUAGE/Locked.lng"))).open(QIODevice::ReadOnly))
        QSKIP("this user can read any file");
    w.options->show();
    QCOMPARE(shownNames(w.options), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("Locked")}));
    QTest::mouseClick(label(w.options, QStringLiteral("L_L2")), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 2);
    QCOMPARE(ws.messages.shown.at(1).kind, QStringLiteral("general"));
    QCOMPARE(w.options->Language_In_Use, QStringLiteral("Deutsch"));
    QCOMPARE(ws.state.text(0), QStringLiteral("Anfang"));
    w.options->reject();
}

void TestSoftOptions::flagPictures()
{
    TestWorkspace ws;
    writeLanguages(ws, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 128, 0);
    ws.writeFile(QStringLiteral("LANGUAGE/A.bmp"), bmp(60, 30, red, blue));   // own flag, wider than 48
    ws.writeFile(QStringLiteral("LANGUAGE/B.bmp"), "not a picture");          // exists, cannot be read
    ws.writeFile(QStringLiteral("LANGUAGE/DefaultFlag.bmp"), bmp(20, 20, green, green));
    Windows w(ws);
    w.options->show();
    QCOMPARE(shownNames(w.options), (QStringList{"A", "B", "C", "D"}));

    const QImage a = label(w.options, QStringLiteral("I_L1"))->pixmap().toImage();
    QCOMPARE(a.size(), QSize(48, 48));
    QCOMPARE(a.pixel(0, 0), red | 0xff000000);
    QCOMPARE(a.pixel(47, 0), red | 0xff000000); // clipped, not scaled
    QCOMPARE(qAlpha(a.pixel(0, 29)), 0);       // the bottom-left colour is transparent
    QCOMPARE(qAlpha(a.pixel(10, 40)), 0);      // below the picture
    QVERIFY(label(w.options, QStringLiteral("I_L2"))->isHidden());
    QVERIFY(!label(w.options, QStringLiteral("L_L2"))->isHidden());
    // C and D fall back to the default flag, all green: its bottom-left colour makes it invisible.
    for (const char *slot : {"I_L3", "I_L4"}) {
        QLabel *image = label(w.options, QString::fromLatin1(slot));
        QVERIFY(!image->isHidden());
        QCOMPARE(qAlpha(image->pixmap().toImage().pixel(5, 5)), 0);
    }
    QVERIFY(ws.messages.shown.isEmpty());

    QFile::remove(ws.path(QStringLiteral("LANGUAGE/DefaultFlag.bmp")));
    w.options->Create_Lang_List();
    QVERIFY(label(w.options, QStringLiteral("I_L3"))->isHidden());
    QCOMPARE(label(w.options, QStringLiteral("L_L3"))->text(), QStringLiteral("C"));
    w.options->reject();
}

void TestSoftOptions::enablingRule_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("updateEnabled");
    QTest::addColumn<bool>("checkEnabled");
    QTest::newRow("both") << true << true << true << true;
    QTest::newRow("internet only") << true << false << true << false;
    QTest::newRow("update only") << false << true << false << false;
    QTest::newRow("neither") << false << false << false << false;
}

void TestSoftOptions::enablingRule()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    QFETCH(bool, updateEnabled);
    QFETCH(bool, checkEnabled);
    TestWorkspace ws;
    ws.state.Enable_Internet = internet;
    ws.state.Enable_Update = update;
    Windows w(ws);
    ws.state.Enable_Internet = internet;
    ws.state.Enable_Update = update;
    w.options->show();
    auto *updateBox = child<QCheckBox>(w.options, QStringLiteral("CB_Update"));
    auto *checkButton = child<QPushButton>(w.options, QStringLiteral("Btn_Check_Update"));
    QCOMPARE(updateBox->isChecked(), update);
    QCOMPARE(updateBox->isEnabled(), updateEnabled);
    QCOMPARE(checkButton->isEnabled(), checkEnabled);

    // Clicking the internet box flips the rule at once; OK stores both states as they are.
    QTest::mouseClick(child<QCheckBox>(w.options, QStringLiteral("CB_En_Con")), Qt::LeftButton);
    QCOMPARE(updateBox->isEnabled(), !internet);
    QCOMPARE(checkButton->isEnabled(), !internet && update);
    QTest::mouseClick(child<QPushButton>(w.options, QStringLiteral("Btn_OK")), Qt::LeftButton);
    QCOMPARE(ws.state.Enable_Internet, !internet);
    QCOMPARE(ws.state.Enable_Update, update);
}

void TestSoftOptions::okWritesSettingsAtOnce()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("LANGUAGE/Deutsch.lng"), "STR0 = Anfang\r\n");
    ws.messages.answer = true;
    Windows w(ws);
    QVERIFY(!w.main->Timer_Update->isActive());
    onNextModal([&](QWidget *modal) {
        QTest::mouseClick(label(modal, QStringLiteral("L_L1")), Qt::LeftButton);
        for (const char *box : {"CB_En_Con", "CB_Update", "CB_Soft_Set_Jump_Table", "CB_DoubleClick_Auto_Size"})
            QTest::mouseClick(child<QCheckBox>(modal, QString::fromLatin1(box)), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(modal, QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(w.main.get(), QStringLiteral("Btn_Opz")), Qt::LeftButton);

    QVERIFY(ws.state.Enable_Internet && ws.state.Enable_Update && ws.state.Jump_Field_Tables
            && ws.state.Auto_Size_Columns);
    QCOMPARE(ws.state.Language_Name, QStringLiteral("Deutsch"));
    QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml")), settingsDocument(ws.state));
    QVERIFY(w.main->Timer_Update->isActive());
    QCOMPARE(w.main->Timer_Update->interval(), 60000);
}

void TestSoftOptions::checkButton_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("shown");
    QTest::newRow("newer") << QByteArray("VER. 1.300")
                           << QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>");
    QTest::newRow("not newer") << QByteArray("VER. 1.200") << QStringLiteral("No Update Available");
}

void TestSoftOptions::checkButton()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, shown);
    LocalHttpServer server;
    qputenv("KV40812_WEB_BASE", server.base().toUtf8());
    LocalHttpServer::Reply reply;
    reply.body = body;
    reply.delayMs = 600;
    server.setReply(reply);
    TestWorkspace ws;
    Windows w(ws);
    ws.state.Enable_Internet = ws.state.Enable_Update = true;
    w.options->show();
    auto *checkButton = child<QPushButton>(w.options, QStringLiteral("Btn_Check_Update"));
    QLabel *result = label(w.options, QStringLiteral("LL_Check_Update"));

    QTest::mouseClick(checkButton, Qt::LeftButton);
    QCOMPARE(w.options->cursor().shape(), Qt::WaitCursor);
    QVERIFY(!checkButton->isEnabled());
    w.options->Btn_Check_UpdateClick(); // a second press while the first runs
    QVERIFY(result->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!result->isHidden(), kPatienceMs);
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(result->text(), shown.contains(u'%') ? shown.arg(downloadPageUrl()) : shown);
    QVERIFY(w.options->cursor().shape() != Qt::WaitCursor);
    QVERIFY(checkButton->isEnabled());
    if (shown.contains(u'%')) {
        emit result->linkActivated(downloadPageUrl());
        QCOMPARE(ws.openedUrls, QList<QUrl>{QUrl(downloadPageUrl())});
    }
    w.options->reject();
}

void TestSoftOptions::aboutWindow()
{
    TestWorkspace ws;
    Windows w(ws);
    w.main->FAbout->show();
    TFAbout *about = w.main->FAbout;
    QCOMPARE(about->size(), QSize(406, 148));
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    const char *texts[][2] = {{"Label1", "Software Zentrel "}, {"Label2", "Serial / Modbus Slave - Converter"},
                              {"Label6", "Software Code : "}, {"Label9", "KV40812"}, {"Label3", "Version :"},
                              {"Label10", "1.200"}, {"Label8", "Document Code :"}, {"Label12", "PL40812"}};
    for (const auto &t : texts)
        QCOMPARE(label(about, QString::fromLatin1(t[0]))->text(), QString::fromLatin1(t[1]));
    QCOMPARE(label(about, QStringLiteral("Image2"))->geometry(), QRect(32, 24, 81, 81));
    QTest::mouseClick(label(about, QStringLiteral("Label4")), Qt::LeftButton);
    QTest::mouseClick(label(about, QStringLiteral("Image2")), Qt::LeftButton);
    QCOMPARE(ws.openedUrls, (QList<QUrl>{QUrl(homePageUrl()), QUrl(homePageUrl())}));
    QVERIFY(about->isVisible());
    QTest::mouseClick(child<QPushButton>(about, QStringLiteral("LbButton1")), Qt::LeftButton);
    QVERIFY(!about->isVisible());
}

QTEST_MAIN(TestSoftOptions)
#include "test_softoptions.moc"

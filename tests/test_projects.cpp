#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "projects/Configurations.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "support/ByteNames.h"
#include "support/TestSupport.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

Q_DECLARE_METATYPE(NewConfigurationResult)

class TestProjects : public QObject {
    Q_OBJECT

private slots:
    void createConfiguration_data();
    void createConfiguration();
    void listsFoldersOnlyInNaturalOrder();
    void naturalOrder_data();
    void naturalOrder();
    void searchOpenConf_data();
    void searchOpenConf();

    void newDialogLayout();
    void newDialogMessagesAndSuccess_data();
    void newDialogMessagesAndSuccess();
    void newDialogReopensEmpty();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void openDialogLayout_data();
    void openDialogLayout();
    void openDialogPreselects_data();
    void openDialogPreselects();
    void openDialogFollowsKeysAndMouse();
    void openProjectMakesChoiceActive();
    void openWithEmptyList();
};

namespace {

// Every entry under a folder with the content of each file, to show that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        entries.insert(QDir(folder).relativeFilePath(path),
                       it.fileInfo().isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>"));
    }
    return entries;
}

QString labelText(QWidget *w, const char *name)
{
    auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

QPushButton *button(QWidget *w, const char *name)
{
    return w->findChild<QPushButton *>(QString::fromLatin1(name));
}

void makeFolders(const TestWorkspace &ws, const QStringList &names)
{
    for (const QString &name : names)
        QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/") + name)));
}

// Presses a main-window button and runs `inside` on the dialog it opens.
void pressAndHandle(TFZentreleFirmWare *main, const char *name, std::function<void(QDialog *)> inside)
{
    bool reached = false;
    onNextModal([&](QWidget *modal) {
        reached = true;
        auto *dialog = qobject_cast<QDialog *>(modal);
        inside(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QTest::mouseClick(button(main, name), Qt::LeftButton);
    QVERIFY2(reached, name);
}

} // namespace

void TestProjects::createConfiguration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<bool>("projectsMissing");
    QTest::addColumn<NewConfigurationResult>("expected");

    using R = NewConfigurationResult;
    const QStringList plant{QStringLiteral("Plant")};
    // Names that Windows would not keep as they are: the file system decides.
    const R elsewhereCreated = systemHasWindowsNames() ? R::NotCreatable : R::Created;
    QTest::newRow("plain name") << "Plant 1" << plant << false << R::Created;
    QTest::newRow("blanks only reach the file system") << "   " << QStringList() << false << elsewhereCreated;
    QTest::newRow("final blank") << "Plant " << plant << false << elsewhereCreated;
    QTest::newRow("final dot") << "Plant." << plant << false << elsewhereCreated;
    QTest::newRow("a device's name") << "nul.txt" << plant << false << elsewhereCreated;
    QTest::newRow("colon") << "Plant: A" << plant << false << elsewhereCreated;
    QTest::newRow("a device's name inside a longer one") << "Console" << plant << false << R::Created;
    QTest::newRow("empty") << "" << plant << false << R::EmptyName;
    QTest::newRow("empty before a missing projects folder") << "" << QStringList() << true << R::EmptyName;
    QTest::newRow("existing, files untouched") << "Plant" << plant << false << R::Exists;
    QTest::newRow("a file of that name") << "notes.txt" << QStringList() << false << R::NotCreatable;
    QTest::newRow("too long for the file system") << QString(300, u'x') << QStringList() << false << R::NotCreatable;
    QTest::newRow("missing projects folder") << "Plant" << QStringList() << true << R::NotCreatable;
    QTest::newRow("slash into an existing one") << "Plant/Sub" << plant << false << R::NotCreatable;
    QTest::newRow("slash to a new one") << "New/Sub" << plant << false << R::NotCreatable;
    QTest::newRow("backslash") << "Plant\\Sub" << plant << false << R::NotCreatable;
    QTest::newRow("dot, not existing") << "." << plant << false << R::NotCreatable;
    QTest::newRow("dot dot, not existing") << ".." << plant << false << R::NotCreatable;
    QTest::newRow("up and out") << "../Outside" << plant << false << R::NotCreatable;
    QTest::newRow("hidden") << ".plant" << plant << false << R::NotCreatable;
    QTest::newRow("tab") << "Plant\t2" << plant << false << R::NotCreatable;
    QTest::newRow("newline") << "Plant\n2" << plant << false << R::NotCreatable;
    QTest::newRow("delete character") << "Plant\x7f" << plant << false << R::NotCreatable;
    // Characters an XML file cannot hold: the name would make the settings file unreadable.
    QTest::newRow("U+FFFE") << QStringLiteral("Plant\uFFFE") << plant << false << R::NotCreatable;
    QTest::newRow("U+FFFF") << QStringLiteral("Plant\uFFFF") << plant << false << R::NotCreatable;
    QTest::newRow("lone surrogate") << (QStringLiteral("Plant") + QChar(0xD800)) << plant << false << R::NotCreatable;
    QTest::newRow("a whole surrogate pair is fine") << QStringLiteral("Plant \U0001F527") << plant << false << R::Created;
}

void TestProjects::createConfiguration()
{
    QFETCH(QString, name);
    QFETCH(QStringList, folders);
    QFETCH(bool, projectsMissing);
    QFETCH(NewConfigurationResult, expected);

    TestWorkspace ws;
    makeFolders(ws, folders);
    ws.writeFile(QStringLiteral("PROJECTS/notes.txt"), "a file");
    if (folders.contains(QStringLiteral("Plant"))) {
        ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), "<ParGen><Key>1</Key></ParGen>");
        ws.writeFile(QStringLiteral("PROJECTS/Plant/bin/bank.bin"), QByteArray(2048, '\x5a'));
    }
    if (projectsMissing)
        QVERIFY(QDir(ws.path(QStringLiteral("PROJECTS"))).removeRecursively());
    const auto before = snapshot(ws.dir.path());

    QCOMPARE(::createConfiguration(ws.state.Dir_Projects, name), expected);

    auto after = snapshot(ws.dir.path());
    if (expected == NewConfigurationResult::Created) {
        // Exactly the folder and its bin folder, no file.
        QCOMPARE(after.take(QStringLiteral("PROJECTS/") + name), QByteArray("<dir>"));
        QCOMPARE(after.take(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin")), QByteArray("<dir>"));
    }
    QCOMPARE(after, before);
    QCOMPARE(messageIndex(expected), expected == NewConfigurationResult::Created ? -1
                                     : expected == NewConfigurationResult::EmptyName ? 107
                                     : expected == NewConfigurationResult::Exists    ? 106
                                                                                     : 105);
}

void TestProjects::listsFoldersOnlyInNaturalOrder()
{
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("Plant 10"), QStringLiteral("plant 2"), QStringLiteral("Beta"),
                     QStringLiteral(".hidden"), QStringLiteral("alpha/bin")});
    ws.writeFile(QStringLiteral("PROJECTS/notes.txt"), "a file");
    ws.writeFile(QStringLiteral("PROJECTS/.profile"), "a hidden file");
    // Made outside the program: names XML cannot hold, and bytes that are not UTF-8 (their
    // decoded name does not lead back to the folder).
    makeFolders(ws, {QStringLiteral("Odd\uFFFF")});
    // Windows refuses control characters in names: there, no such folder exists to leave out.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Bad\u0001Name"))) || systemHasWindowsNames());
    QVERIFY(makeFolderWithByteName(ws.state.Dir_Projects, "Latin1 \xE9t\xE9"));
    const auto removeLatin1 = qScopeGuard([&] { removeFolderWithByteName(ws.state.Dir_Projects, "Latin1 \xE9t\xE9"); });
    QCOMPARE(Load_Existing_Configuration(ws.state.Dir_Projects),
             (QStringList{QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("plant 2"),
                          QStringLiteral("Plant 10")}));
    QCOMPARE(Load_Existing_Configuration(ws.path(QStringLiteral("MISSING"))), QStringList());
}

void TestProjects::naturalOrder_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value") << QStringList{"Plant 10", "Plant 2", "plant 1", "Plant"}
                                      << QStringList{"Plant", "plant 1", "Plant 2", "Plant 10"};
    QTest::newRow("case ignored") << QStringList{"beta", "GAMMA", "Alpha"} << QStringList{"Alpha", "beta", "GAMMA"};
    QTest::newRow("several numbers") << QStringList{"v1.10", "v1.9", "v10.0", "v2.0"}
                                     << QStringList{"v1.9", "v1.10", "v2.0", "v10.0"};
    QTest::newRow("longer than any integer") << QStringList{"x100000000000000000000", "x99999999999999999999"}
                                             << QStringList{"x99999999999999999999", "x100000000000000000000"};
    QTest::newRow("ties keep a fixed order") << QStringList{"abc", "a1", "ABC", "a01", "Abc"}
                                             << QStringList{"a01", "a1", "ABC", "Abc", "abc"};
}

void TestProjects::naturalOrder()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    sortNaturally(names);
    QCOMPARE(names, sorted);
}

void TestProjects::searchOpenConf_data()
{
    QTest::addColumn<QStringList>("SL");
    QTest::addColumn<QString>("snc");
    QTest::addColumn<int>("index");
    const QStringList list{"Alpha", "Plant 1", "PLANT 1", "Ärger"};
    QTest::newRow("exact") << list << "Plant 1" << 1;
    QTest::newRow("other ASCII case, first match wins") << list << "plant 1" << 1;
    QTest::newRow("whole names only") << list << "Plant" << -1;
    QTest::newRow("non-ASCII letters keep their case") << list << "ärger" << -1;
    QTest::newRow("same non-ASCII letters, ASCII case differs") << list << "ÄRGER" << 3;
    QTest::newRow("empty name") << list << "" << -1;
    QTest::newRow("empty list") << QStringList() << "Alpha" << -1;
}

void TestProjects::searchOpenConf()
{
    QFETCH(QStringList, SL);
    QFETCH(QString, snc);
    QFETCH(int, index);
    QCOMPARE(Search_Open_Conf(SL, snc), index);
}

void TestProjects::newDialogLayout()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    auto *dialog = main->FNew_Project;
    QCOMPARE(dialog->size(), QSize(331, 162));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Create New Configuration"));
    QCOMPARE(dialog->findChild<QWidget *>("P_Title")->geometry(), QRect(0, 0, 331, 69));
    QCOMPARE(labelText(dialog, "L_SW_Code"), QStringLiteral("KV40812"));
    QCOMPARE(labelText(dialog, "L_SW_Desc"), QStringLiteral("Create New Configuration"));
    QCOMPARE(labelText(dialog, "Label1"), QStringLiteral("Name of the new Configuration"));
    QCOMPARE(dialog->findChild<QLabel *>("Label1")->pos(), QPoint(16, 70));
    auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj");
    QCOMPARE(edit->geometry(), QRect(16, 94, 297, 21));
    QCOMPARE(edit->toolTip(), QStringLiteral("Insert here the name of new configuration"));
    QCOMPARE(dialog->findChild<QWidget *>("P_Button")->geometry(), QRect(0, 122, 331, 40));
    QCOMPARE(button(dialog, "Btn_OK")->geometry(), QRect(85, 6, 110, 28));
    QCOMPARE(button(dialog, "Btn_OK")->text(), QStringLiteral("OK"));
    QCOMPARE(button(dialog, "Btn_OK")->toolTip(), QStringLiteral("Confirm the Name of new Configuration"));
    QCOMPARE(button(dialog, "Btn_Cancel")->geometry(), QRect(203, 6, 110, 28));
    QCOMPARE(button(dialog, "Btn_Cancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(button(dialog, "Btn_Cancel")->toolTip(), QStringLiteral("Cancel the New Configuration"));
}

void TestProjects::newDialogMessagesAndSuccess_data()
{
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("OK button") << false;
    QTest::newRow("Enter in the edit") << true;
}

void TestProjects::newDialogMessagesAndSuccess()
{
    QFETCH(bool, byEnter);
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("Plant 1")});
    auto main = Create_Windows(ws.state, ws.services);
    main->show();

    QStringList stillOpen;
    QList<bool> hadFocus;
    pressAndHandle(main.get(), "Btn_New", [&](QDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj");
        // The dialog becomes the active window a moment after it shows, later on a loaded machine.
        hadFocus << QTest::qWaitFor([edit] { return edit->hasFocus(); });
        for (const QString &name : {QString(), QStringLiteral("Plant 1"), QStringLiteral("a/b"),
                                    QStringLiteral("Plant\uFFFF"), QStringLiteral("Plant 2")}) {
            edit->setText(name);
            if (byEnter)
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::mouseClick(button(dialog, "Btn_OK"), Qt::LeftButton);
            if (dialog->isVisible())
                stillOpen << name;
        }
        hadFocus << (dialog->result() == QDialog::Accepted);
    });

    QCOMPARE(hadFocus, (QList<bool>{true, true}));
    QCOMPARE(stillOpen, (QStringList{QString(), QStringLiteral("Plant 1"), QStringLiteral("a/b"),
                                     QStringLiteral("Plant\uFFFF")}));
    QCOMPARE(ws.messages.texts(), (QStringList{QStringLiteral("Error! Name Project is not valid"),
                                               QStringLiteral("Error! Name project is not valid because directory already exists"),
                                               QStringLiteral("Error! Name project is not valid"),
                                               QStringLiteral("Error! Name project is not valid")}));
    for (const auto &shown : ws.messages.shown)
        QCOMPARE(shown.kind, QStringLiteral("error"));
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Plant 2"));
    QCOMPARE(ws.state.Project_Dir, ws.path(QStringLiteral("PROJECTS/Plant 2")));
    QCOMPARE(ws.state.ParGen_File, ws.path(QStringLiteral("PROJECTS/Plant 2/ParGen.xml")));
    QVERIFY(QFileInfo(ws.path(QStringLiteral("PROJECTS/Plant 2/bin"))).isDir());
    QVERIFY(!QFileInfo::exists(ws.state.ParGen_File));
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/a"))));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Plant 2"));
}

void TestProjects::newDialogReopensEmpty()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    // A failed attempt, then a cancel, then a success: every opening starts empty.
    pressAndHandle(main.get(), "Btn_New", [](QDialog *dialog) {
        dialog->findChild<QLineEdit *>("E_New_Proj")->setText(QStringLiteral(".."));
        QTest::mouseClick(button(dialog, "Btn_OK"), Qt::LeftButton);
    });
    QStringList seen;
    for (const QString &name : {QStringLiteral("Plant 1"), QStringLiteral("Plant 2")}) {
        pressAndHandle(main.get(), "Btn_New", [&](QDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj");
            seen << edit->text();
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Enter);
        });
    }
    QCOMPARE(seen, (QStringList{QString(), QString()}));
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Plant 2"));
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Error! Name project is not valid")});
}

void TestProjects::cancelChangesNothing_data()
{
    QTest::addColumn<QByteArray>("opener");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("new, Cancel") << QByteArray("Btn_New") << false;
    QTest::newRow("new, close box") << QByteArray("Btn_New") << true;
    QTest::newRow("open, Cancel") << QByteArray("Btn_Open") << false;
    QTest::newRow("open, close box") << QByteArray("Btn_Open") << true;
}

void TestProjects::cancelChangesNothing()
{
    QFETCH(QByteArray, opener);
    QFETCH(bool, closeBox);
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("Alpha"), QStringLiteral("Plant 1")});
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<C><lastproj><projectname>Plant 1</projectname></lastproj></C>");
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    const AppState before = ws.state;
    const auto files = snapshot(ws.dir.path());

    QString chosen;
    pressAndHandle(main.get(), opener.constData(), [&](QDialog *dialog) {
        if (auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj"))
            QTest::keyClicks(edit, QStringLiteral("Other"));
        if (auto *list = dialog->findChild<QListWidget *>("ListBox1")) {
            QTest::keyClick(list, Qt::Key_Up);
            chosen = qobject_cast<TFOpenConf *>(dialog)->Name_Conf;
        }
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(button(dialog, "Btn_Cancel"), Qt::LeftButton);
    });

    if (opener == "Btn_Open")
        QCOMPARE(chosen, QStringLiteral("Alpha"));
    QCOMPARE(ws.state.Project_Name, before.Project_Name);
    QCOMPARE(ws.state.Project_Dir, before.Project_Dir);
    QCOMPARE(ws.state.ParGen_File, before.ParGen_File);
    QCOMPARE(snapshot(ws.dir.path()), files);
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Plant 1"));
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestProjects::openDialogLayout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("list");
    QTest::addColumn<int>("okLeft");
    QTest::addColumn<int>("cancelLeft");
    QTest::newRow("as created") << QSize(377, 351) << QRect(16, 94, 345, 211) << 133 << 251;
    QTest::newRow("enlarged") << QSize(640, 500) << QRect(16, 94, 608, 360) << 396 << 514;
}

void TestProjects::openDialogLayout()
{
    QFETCH(QSize, size);
    QFETCH(QRect, list);
    QFETCH(int, okLeft);
    QFETCH(int, cancelLeft);
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    TFOpenConf *dialog = main->FOpenConf;
    QCOMPARE(dialog->size(), QSize(377, 351));
    QVERIFY(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    dialog->show();
    dialog->resize(size);
    QCOMPARE(dialog->size(), size);

    QCOMPARE(dialog->findChild<QWidget *>("ListBox1")->geometry(), list);
    QCOMPARE(dialog->findChild<QWidget *>("P_Title")->geometry(), QRect(0, 0, size.width(), 69));
    QCOMPARE(dialog->findChild<QWidget *>("P_Button")->geometry(), QRect(0, size.height() - 40, size.width(), 40));
    QCOMPARE(button(dialog, "Btn_OK")->geometry(), QRect(okLeft, 6, 110, 28));
    QCOMPARE(button(dialog, "Btn_Cancel")->geometry(), QRect(cancelLeft, 6, 110, 28));

    QCOMPARE(dialog->windowTitle(), QStringLiteral("Open Configuration"));
    QCOMPARE(labelText(dialog, "L_SW_Code"), QStringLiteral("KV40812"));
    QCOMPARE(labelText(dialog, "L_SW_Desc"), QStringLiteral("Open an Existing Configuration"));
    QCOMPARE(labelText(dialog, "Label1"), QStringLiteral("List of Avaliable Configurations"));
    QCOMPARE(dialog->findChild<QLabel *>("Label1")->pos(), QPoint(16, 70));
    QCOMPARE(dialog->findChild<QWidget *>("ListBox1")->toolTip(), QStringLiteral("Select from this list the configuration to open"));
    QCOMPARE(button(dialog, "Btn_OK")->text(), QStringLiteral("OK"));
    QCOMPARE(button(dialog, "Btn_OK")->toolTip(), QStringLiteral("Open the Selected Configuration"));
    QCOMPARE(button(dialog, "Btn_Cancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(button(dialog, "Btn_Cancel")->toolTip(), QStringLiteral("Cancel open of Configuration"));
}

void TestProjects::openDialogPreselects_data()
{
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("selected");
    QTest::newRow("active, ASCII case differs") << "PLANT 2" << "plant 2";
    QTest::newRow("active, same case") << "Plant 10" << "Plant 10";
    QTest::newRow("none active") << "" << "Alpha";
    QTest::newRow("active folder removed") << "Gone" << "Alpha";
}

void TestProjects::openDialogPreselects()
{
    QFETCH(QString, active);
    QFETCH(QString, selected);
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("Plant 10"), QStringLiteral("plant 2"), QStringLiteral("Alpha"),
                     QStringLiteral(".git")});
    ws.writeFile(QStringLiteral("PROJECTS/readme.txt"), "a file");
    auto main = Create_Windows(ws.state, ws.services);
    ws.state.Project_Dir = active.isEmpty() ? QString() : joinPath(ws.state.Dir_Projects, active);

    TFOpenConf *dialog = main->FOpenConf;
    dialog->show();
    auto *list = dialog->findChild<QListWidget *>("ListBox1");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    QCOMPARE(items, (QStringList{QStringLiteral("Alpha"), QStringLiteral("plant 2"), QStringLiteral("Plant 10")}));
    QCOMPARE(dialog->SL, items);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->selectedItems().first()->text(), selected);
    QCOMPARE(dialog->Name_Conf, selected);
}

void TestProjects::openDialogFollowsKeysAndMouse()
{
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    auto main = Create_Windows(ws.state, ws.services);
    TFOpenConf *dialog = main->FOpenConf;
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog, kPatienceMs));
    auto *list = dialog->findChild<QListWidget *>("ListBox1");
    QStringList chosen{dialog->Name_Conf};
    QTest::keyClick(list, Qt::Key_Down);
    chosen << dialog->Name_Conf;
    QTest::keyClick(list, Qt::Key_End);
    chosen << dialog->Name_Conf;
    QTest::keyClick(list, Qt::Key_Up);
    chosen << dialog->Name_Conf;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    chosen << dialog->Name_Conf;
    // A double click only selects.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    chosen << dialog->Name_Conf;
    QVERIFY(dialog->isVisible());
    QCOMPARE(chosen, (QStringList{"A", "B", "C", "B", "A", "C"}));
}

void TestProjects::openProjectMakesChoiceActive()
{
    TestWorkspace ws;
    makeFolders(ws, {QStringLiteral("Alpha"), QStringLiteral("Plant 1")});
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    pressAndHandle(main.get(), "Btn_Open", [](QDialog *dialog) {
        QTest::keyClick(dialog->findChild<QListWidget *>("ListBox1"), Qt::Key_Down);
        QTest::mouseClick(button(dialog, "Btn_OK"), Qt::LeftButton);
    });
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Plant 1"));
    QCOMPARE(ws.state.Project_Dir, ws.path(QStringLiteral("PROJECTS/Plant 1")));
    QCOMPARE(ws.state.ParGen_File, ws.path(QStringLiteral("PROJECTS/Plant 1/ParGen.xml")));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Plant 1"));
}

void TestProjects::openWithEmptyList()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    const auto confirm = [](QDialog *dialog) { QTest::mouseClick(button(dialog, "Btn_OK"), Qt::LeftButton); };

    // Nothing ever chosen: OK changes nothing, as a cancel would.
    pressAndHandle(main.get(), "Btn_Open", confirm);
    QVERIFY(ws.state.Project_Dir.isEmpty());
    QVERIFY(ws.state.Project_Name.isEmpty());
    QVERIFY(ws.state.ParGen_File.isEmpty() || !ws.state.ParGen_File.startsWith(ws.state.Dir_Projects));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Use Step1 to open or create new configuration"));

    // A name chosen at an earlier showing stays chosen when the list is empty.
    makeFolders(ws, {QStringLiteral("Plant 1")});
    pressAndHandle(main.get(), "Btn_Open", [](QDialog *dialog) { dialog->reject(); });
    QVERIFY(QDir(ws.path(QStringLiteral("PROJECTS/Plant 1"))).removeRecursively());
    pressAndHandle(main.get(), "Btn_Open", confirm);
    QCOMPARE(main->FOpenConf->findChild<QListWidget *>("ListBox1")->count(), 0);
    QCOMPARE(main->FOpenConf->Name_Conf, QStringLiteral("Plant 1"));
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Plant 1"));
    QCOMPARE(ws.state.Project_Dir, ws.path(QStringLiteral("PROJECTS/Plant 1")));
    QVERIFY(ws.messages.shown.isEmpty());
}

QTEST_MAIN(TestProjects)
#include "test_projects.moc"

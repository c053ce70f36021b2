// Every control of every window has a name a screen reader can speak, in every shipped language:
// never empty, never only the caption of the group it sits in. A control without a caption of
// its own is named by the caption beside it, or a picture button by its hint, and the names
// follow a change of language.
#include "app/UAbout.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/TextIndex.h"
#include "i18n/USoftOptions.h"
#include "params/EditorGroups.h"
#include "params/UParGen.h"
#include "projects/Configurations.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "support/TestSupport.h"
#include "update/UBoot.h"
#include "widgets/ClickableLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QTest>

namespace {

// What a person operates: these a screen reader must be able to name.
bool isControl(QWidget *w, const QAccessibleInterface *iface)
{
    static const QList<QAccessible::Role> roles{
        QAccessible::PushButton, QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::ComboBox,
        QAccessible::EditableText, QAccessible::List, QAccessible::PageTabList, QAccessible::ScrollBar,
        QAccessible::Link};
    return roles.contains(iface->role()) || qobject_cast<ClickableLabel *>(w);
}

QString spokenName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasAName_data();
    void everyControlHasAName();
};

void TestAccessibility::everyControlHasAName_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &language : shippedLanguages())
        QTest::newRow(qPrintable(language)) << language;
}

void TestAccessibility::everyControlHasAName()
{
    QFETCH(QString, language);
    TestWorkspace ws;
    // The windows are made in English and then switch, as with the options window.
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(createConfiguration(ws.state.Dir_Projects, QStringLiteral("Plant 1")), NewConfigurationResult::Created);
    activateConfiguration(ws.state, QStringLiteral("Plant 1"));
    loadShippedLanguage(ws, language);
    main->Change_Language();
    const auto text = [&ws](int index) { return ws.state.text(index).trimmed(); };

    QStringList faults;
    const auto check = [&faults](QWidget *window) {
        QCoreApplication::processEvents();
        QStringList groupCaptions;
        for (const QGroupBox *box : window->findChildren<QGroupBox *>())
            groupCaptions << box->title();
        for (QWidget *w : window->findChildren<QWidget *>()) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            if (!iface || w->window() != window || !w->isVisibleTo(window) || !isControl(w, iface))
                continue;
            const QString name = iface->text(QAccessible::Name);
            if (name.trimmed().isEmpty() || groupCaptions.contains(name))
                faults << QStringLiteral("%1 %2: \"%3\"").arg(window->objectName(), w->objectName(), name);
        }
    };
    const auto expectName = [&faults](QWidget *window, const QString &control, const QString &name) {
        QWidget *w = window->findChild<QWidget *>(control);
        // A list's name on Linux is its current item, as Qt gives it; the name set is its property.
        const QString given = qobject_cast<QComboBox *>(w) ? w->accessibleName() : spokenName(w);
        if (!w || given != name)
            faults << QStringLiteral("%1 %2: \"%3\", not \"%4\"").arg(window->objectName(), control, given, name);
    };
    const auto addressNames = [&](QWidget *window, const QStringList &controls, const QString &caption) {
        for (qsizetype i = 0; i < controls.size(); ++i)
            expectName(window, controls.at(i), QStringLiteral("%1 (%2)").arg(caption).arg(i + 1));
    };

    main->show();
    check(main.get());
    expectName(main.get(), QStringLiteral("Btn_Info"), ws.state.text(Txt::InfoButtonHint));
    expectName(main.get(), QStringLiteral("Btn_Opz"), ws.state.text(Txt::OptionsButtonHint));
    expectName(main.get(), QStringLiteral("Btn_Close"), ws.state.text(Txt::CloseButtonHint));

    for (QDialog *dialog : std::initializer_list<QDialog *>{main->FNew_Project, main->FOpenConf, main->FAbout}) {
        dialog->show();
        check(dialog);
        dialog->hide();
    }
    expectName(main->FNew_Project, QStringLiteral("E_New_Proj"), ws.state.text(Txt::NewConfNameCaption));
    expectName(main->FOpenConf, QStringLiteral("ListBox1"), ws.state.text(Txt::OpenConfListCaption));

    TFSoftOptions *options = main->FSoftOptions;
    options->show();
    auto *pages = options->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        check(options);
    }
    options->hide();

    // The editor's inputs by the captions of their rows; each send type shows other rows.
    TFParGen *editor = main->FParGen;
    editor->show();
    auto *sendType = editor->findChild<QComboBox *>(parameter(Param::Serial_Send_Type).control);
    for (const SendType type : allSendTypes()) {
        sendType->setCurrentIndex(static_cast<int>(type));
        check(editor);
    }
    for (const EditorGroup &group : editorGroups()) {
        expectName(editor, QStringLiteral("Btn_%1_Collapse").arg(group.name), ws.state.text(Txt::EditorCollapseHint));
        expectName(editor, QStringLiteral("Btn_%1_Expande").arg(group.name), ws.state.text(Txt::EditorExpandHint));
        for (const EditorRow &row : group.rows) {
            QStringList inputs;
            for (const RowInput &input : row.inputs)
                inputs << parameter(input.value).control;
            if (row.kind == RowKind::Address)
                addressNames(editor, inputs, text(row.caption.text));
            else
                expectName(editor, inputs.first(), text(row.caption.text));
        }
    }
    editor->hide();

    TFBoot *boot = main->FBoot;
    boot->show();
    check(boot);
    addressNames(boot, {"E_IP1", "E_IP2", "E_IP3", "E_IP4"}, text(Txt::UpdateIpAddressCaption));
    expectName(boot, QStringLiteral("CB_Update_Options"), text(Txt::UpdateOptionCaption));
    boot->hide();

    if (!faults.isEmpty())
        QFAIL(qPrintable(QStringLiteral("%1 controls without a fitting name in %2:\n").arg(faults.size()).arg(language)
                         + faults.join(u'\n')));
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"

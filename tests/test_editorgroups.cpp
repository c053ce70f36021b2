#include "i18n/Language.h"
#include "params/EditorGroups.h"
#include "params/UParGen.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>

// The editor builds its groups from the table that the commissioning sheet prints; what the
// editor shows must be what the table says.
class TestEditorGroups : public QObject {
    Q_OBJECT

private slots:
    void rowsAreTheEditors_data();
    void rowsAreTheEditors();
};

namespace {

QString tip(const AppState &state, int hint)
{
    return hint < 0 ? QString() : state.text(hint);
}

} // namespace

void TestEditorGroups::rowsAreTheEditors_data()
{
    QTest::addColumn<int>("sendType");
    QTest::newRow("End Character") << 0;
    QTest::newRow("Num Bytes on Control Word") << 1;
    QTest::newRow("Fix Num Bytes") << 2;
    QTest::newRow("no selection") << -1;
}

void TestEditorGroups::rowsAreTheEditors()
{
    QFETCH(int, sendType);
    TestWorkspace ws;
    // A text of its own at every index, so that a caption or hint of the wrong index shows.
    Set_Default_Lang(ws.state.Text_Table);
    QString language;
    for (int i = 400; i < 520; ++i)
        language += QStringLiteral("STR%1 = text %1\n").arg(i);
    applyLanguageText(ws.state.Text_Table, language);

    TFParGen editor(ws.state, ws.services);
    editor.findChild<QComboBox *>(QStringLiteral("CB_Serial_SendType"))->setCurrentIndex(sendType);
    ParameterValues values = defaultParameterValues();
    values[Param::Serial_Send_Type] = QString::number(sendType);

    for (const EditorGroup &group : editorGroups()) {
        auto *box = editor.findChild<QGroupBox *>(group.box());
        QVERIFY2(box, qPrintable(group.box()));
        QCOMPARE(box->title(), ws.state.text(group.caption));
        QSet<QWidget *> covered;
        for (const EditorRow &row : group.rows) {
            const bool shown = editorShowsRow(row, values);
            auto *caption = box->findChild<QWidget *>(row.caption.control);
            QVERIFY2(caption, qPrintable(row.caption.control));
            const auto *label = qobject_cast<QLabel *>(caption);
            const auto *check = qobject_cast<QCheckBox *>(caption);
            QVERIFY2(row.caption.flag ? bool(check) : bool(label), qPrintable(row.caption.control));
            if (row.caption.flag)
                QCOMPARE(caption->objectName(), parameter(*row.caption.flag).control);
            QCOMPARE(label ? label->text() : check->text(), ws.state.text(row.caption.text));
            QCOMPARE(caption->toolTip(), tip(ws.state, row.caption.hint));
            QCOMPARE(caption->isVisibleTo(box), shown);
            covered.insert(caption);
            for (const RowInput &input : row.inputs) {
                const ParameterDef &def = parameter(input.value);
                QWidget *control = box->findChild<QWidget *>(def.control);
                QVERIFY2(control, qPrintable(def.control));
                QCOMPARE(control->toolTip(), tip(ws.state, input.hint));
                QCOMPARE(control->isVisibleTo(box), shown);
                covered.insert(control);
            }
        }
        // No input of the group is left out.
        for (QWidget *input : box->findChildren<QWidget *>()) {
            const bool isInput = qobject_cast<QLineEdit *>(input) || qobject_cast<QComboBox *>(input)
                                 || qobject_cast<QCheckBox *>(input);
            if (isInput && input->isVisibleTo(box) && input->parentWidget() == box)
                QVERIFY2(covered.contains(input), qPrintable(input->objectName()));
        }
    }
}

QTEST_MAIN(TestEditorGroups)
#include "test_editorgroups.moc"

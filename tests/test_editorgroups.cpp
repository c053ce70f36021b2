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

// The table of groups and rows that the sheet prints must stay the editor's own.
class TestEditorGroups : public QObject {
    Q_OBJECT

private slots:
    void rowsAreTheEditors_data();
    void rowsAreTheEditors();
};

void TestEditorGroups::rowsAreTheEditors_data()
{
    QTest::addColumn<int>("sendType");
    QTest::newRow("End Character") << 0;
    QTest::newRow("Num Bytes on Control Word") << 1;
    QTest::newRow("Fix Num Bytes") << 2;
}

void TestEditorGroups::rowsAreTheEditors()
{
    QFETCH(int, sendType);
    TestWorkspace ws;
    // A text of its own at every index, so that a caption of the wrong index shows.
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
        auto *box = editor.findChild<QGroupBox *>(group.box);
        QVERIFY2(box, qPrintable(group.box));
        QCOMPARE(box->title(), ws.state.text(group.caption));
        QSet<QWidget *> covered;
        for (const EditorRow &row : group.rows) {
            auto *caption = box->findChild<QWidget *>(row.captionControl);
            QVERIFY2(caption, qPrintable(row.captionControl));
            const auto *label = qobject_cast<QLabel *>(caption);
            const auto *check = qobject_cast<QCheckBox *>(caption);
            QCOMPARE(label ? label->text() : check->text(), ws.state.text(row.caption));
            QCOMPARE(caption->isVisibleTo(box), editorShowsRow(row, values));
            if (row.check)
                QCOMPARE(caption->objectName(), parameter(*row.check).control);
            covered.insert(caption);
            for (const Param::Id id : row.values) {
                auto *input = box->findChild<QWidget *>(parameter(id).control);
                QVERIFY2(input, qPrintable(parameter(id).control));
                QCOMPARE(input->isVisibleTo(box), editorShowsRow(row, values));
                covered.insert(input);
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

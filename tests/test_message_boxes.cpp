// The real message boxes: their buttons speak the language in use when each box opens.
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "i18n/USoftOptions.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <map>

namespace {

// Reads the captions of the next message box's buttons, in the order OK, Yes, No, and
// presses `press`.
void answerNextBox(QStringList *captions, QMessageBox::StandardButton press)
{
    onNextModal([captions, press](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        std::map<int, QString> byButton;
        for (QAbstractButton *button : box->buttons())
            byButton[box->standardButton(button)] = button->text();
        for (const auto &[button, text] : byButton)
            *captions << text;
        if (QAbstractButton *button = box->button(press))
            button->click();
        else
            box->close();
    });
}

int slotOf(const TFSoftOptions *options, const QString &language)
{
    return int(options->SL_Languages.indexOf(language + kLanguageExtension)) + 1;
}

} // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void buttonsFollowTheLanguage();
};

void TestMessageBoxes::buttonsFollowTheLanguage()
{
    TestWorkspace ws;
    Services services = realServices(ws.state);
    auto main = Create_Windows(ws.state, services);
    QString error;
    QVERIFY2(copyShippedLanguages(QStringLiteral(KV_LANGUAGES), ws.state.Dir_Language, &error), qPrintable(error));
    ws.state.Language_Name = QStringLiteral("Italiano");
    QVERIFY2(Load_Language(ws.state, &error), qPrintable(error));
    main->Change_Language();

    TFSoftOptions *options = main->FSoftOptions;
    options->show();
    QVERIFY(slotOf(options, QStringLiteral("Español")) > 0);

    // The question that switches to Spanish is asked in Italian.
    QStringList captions;
    answerNextBox(&captions, QMessageBox::Yes);
    options->LangClick(slotOf(options, QStringLiteral("Español")));
    QCOMPARE(captions, (QStringList{QStringLiteral("Sì"), QStringLiteral("No")}));
    QCOMPARE(ws.state.text(20), QStringLiteral("Comunicación"));

    // From then on every box speaks Spanish: an error ...
    captions.clear();
    answerNextBox(&captions, QMessageBox::Ok);
    main->findChild<QPushButton *>(QStringLiteral("Btn_Prm_Gen"))->click(); // no configuration is open
    QCOMPARE(captions, QStringList{QStringLiteral("Aceptar")});

    // ... and a question, whose No keeps the language.
    captions.clear();
    answerNextBox(&captions, QMessageBox::No);
    options->LangClick(slotOf(options, QStringLiteral("Italiano")));
    QCOMPARE(captions, (QStringList{QStringLiteral("Sí"), QStringLiteral("No")}));
    QCOMPARE(ws.state.text(20), QStringLiteral("Comunicación"));
    options->hide();
}

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"

// Every caption of every window fits its control, in every shipped language, and so does every
// item of every drop-down list, closed and open.
//
// Each window is shown offscreen in every state that changes its texts, and the width each
// visible caption needs in the font it is drawn with is compared with the width its control
// gives it: up to the next control on its row, the edge of its parent, or its own text area
// when its size is fixed. A styled button counts its picture, the spacing beside it, its
// border and its padding.
#include "app/UAbout.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "i18n/USoftOptions.h"
#include "params/EditorGroups.h"
#include "params/Parameters.h"
#include "params/UParGen.h"
#include "projects/Configurations.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"
#include "update/UBoot.h"
#include "widgets/Look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyleOption>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>

namespace {

// Room left between a caption and whatever ends it, for fonts that differ by a pixel or two.
constexpr int kMargin = 3;
// QPushButton puts this much between its picture and its caption.
constexpr int kPictureSpacing = 4;

// Built-in English texts that overflow their control. They are the system's own texts and
// stay as they are: the test names them rather than failing on them.
const std::pair<QLatin1StringView, QLatin1StringView> kBuiltinOverflows[] = {
    {QLatin1StringView("CB_Serial_Time_Wait_RX"), QLatin1StringView("Time to Wait in RX")},
};

bool isBuiltinOverflow(const QString &control, const QString &text)
{
    return std::any_of(std::begin(kBuiltinOverflows), std::end(kBuiltinOverflows),
                       [&](const auto &known) { return known.first == control && known.second == text; });
}

// A separator, such as the dot between two address fields, sits in the gap the layout made
// for it; only words need the margin.
int marginFor(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }) ? kMargin : 0;
}

// The style options of the controls, as the controls themselves fill them in.
template <typename T> struct Exposed : T {
    using T::initStyleOption;
};
template <typename Option, typename T> Option styleOption(const T *control)
{
    Option opt;
    (control->*(&Exposed<T>::initStyleOption))(&opt);
    return opt;
}

// The text a caption shows: a link caption shows its visible text only.
QString shownText(const QString &text, Qt::TextFormat format = Qt::PlainText)
{
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText();
    }
    return text;
}

// The width of the widest line of a text.
int textWidth(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The right edge that ends a caption starting at `left` on the rows `band` of `parent`: the
// first visible control to its right on those rows, a frame drawn around it, or the parent's
// own inner edge.
int limitOnRow(const QWidget *parent, const QWidget *self, int left, const QRect &band)
{
    int limit = parent->contentsRect().right() + 1;
    for (QObject *object : parent->children()) {
        auto *other = qobject_cast<QWidget *>(object);
        if (!other || other == self || other->isHidden() || other->isWindow())
            continue;
        const QRect r = other->geometry();
        if (r.bottom() < band.top() || r.top() > band.bottom())
            continue;
        if (r.left() > left)
            limit = std::min(limit, r.left());
        else if (r.right() >= left && qobject_cast<const QFrame *>(other) && !qobject_cast<const QLabel *>(other))
            limit = std::min(limit, r.right()); // a box drawn around the caption
    }
    return limit;
}

struct Measure {
    QString text;
    int needed = 0;
    int available = 0;
    QString what; // which room of the control, where it has more than one
};

// A caption that grows with its text (a label or check box sized to it) is bounded by its
// row only; a fixed one by its own text area too.
bool sizedToText(const QWidget *w)
{
    return w->size() == w->sizeHint();
}

std::optional<Measure> measureLabel(const QLabel *label)
{
    if (!label->pixmap().isNull() || label->text().trimmed().isEmpty())
        return std::nullopt;
    Measure m;
    m.text = shownText(label->text(), label->textFormat());
    m.needed = textWidth(label->fontMetrics(), m.text);
    const QRect inner = label->contentsRect().adjusted(label->margin(), 0, -label->margin(), 0);
    const int left = label->x() + inner.left();
    int right = limitOnRow(label->parentWidget(), label, left, label->geometry());
    if (!sizedToText(label))
        right = std::min(right, label->x() + inner.right() + 1);
    m.available = right - left;
    return m;
}

template <typename T>
std::optional<Measure> measureCheck(const T *box, QStyle::SubElement contents)
{
    if (box->text().trimmed().isEmpty())
        return std::nullopt;
    const auto opt = styleOption<QStyleOptionButton>(box);
    const QRect area = box->style()->subElementRect(contents, &opt, box);
    Measure m;
    m.text = box->text();
    m.needed = textWidth(box->fontMetrics(), box->text());
    const int left = box->x() + area.left();
    int right = limitOnRow(box->parentWidget(), box, left, box->geometry());
    if (!sizedToText(box))
        right = std::min(right, box->x() + area.right() + 1);
    m.available = right - left;
    return m;
}

std::optional<Measure> measureButton(const QPushButton *button)
{
    if (button->text().trimmed().isEmpty())
        return std::nullopt;
    const auto opt = styleOption<QStyleOptionButton>(button);
    const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    Measure m;
    m.text = button->text();
    m.needed = textWidth(button->fontMetrics(), button->text());
    if (!button->icon().isNull())
        m.needed += button->iconSize().width() + kPictureSpacing;
    m.available = area.width();
    return m;
}

std::optional<Measure> measureGroupTitle(const QGroupBox *box)
{
    if (box->title().trimmed().isEmpty())
        return std::nullopt;
    const auto opt = styleOption<QStyleOptionGroupBox>(box);
    const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    Measure m;
    m.text = box->title();
    m.needed = textWidth(box->fontMetrics(), box->title());
    // The title sits on the frame: the controls inside on its rows, like the collapse button, end it.
    m.available = limitOnRow(box, nullptr, title.left(), title) - title.left();
    return m;
}

template <typename T> struct ExposedView : T {
    using T::initViewItemOption;
};

// An item of a list's popup as the view paints it in a row `width` pixels wide.
QImage paintItem(const QAbstractItemView *view, const QModelIndex &index, QStyleOptionViewItem option, int width)
{
    option.rect = QRect(0, 0, width, view->visualRect(index).height());
    QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view->itemDelegateForIndex(index)->paint(&painter, option, index);
    return image;
}

// The narrowest row in which the view paints the item whole: as it paints it with room to
// spare, with nothing of it beyond the row. Styles pad, clip and elide as they will; this asks
// the pixels.
int itemWidthNeeded(const QAbstractItemView *view, const QModelIndex &index, const QStyleOptionViewItem &option)
{
    const QImage roomy = paintItem(view, index, option, 2 * view->viewport()->width() + 200);
    const auto whole = [&](int width) {
        for (int y = 0; y < roomy.height(); ++y) {
            for (int x = width; x < roomy.width(); ++x) {
                if (roomy.pixel(x, y) != roomy.pixel(roomy.width() - 1, y))
                    return false;
            }
        }
        return paintItem(view, index, option, width) == roomy.copy(0, 0, width, roomy.height());
    };
    int low = 1;
    int high = roomy.width();
    while (low < high) {
        const int middle = (low + high) / 2;
        whole(middle) ? high = middle : low = middle + 1;
    }
    return low;
}

// The items of a drop-down list, each against the room it gets: closed, in the text area beside
// the arrow; open, in a row of the popup as the view paints it. Qt makes the popup at least as
// wide as the list, and wider only where the style lets it grow to its items' text.
QList<Measure> measureListItems(QComboBox *list)
{
    QList<Measure> measures;
    const auto opt = styleOption<QStyleOptionComboBox>(list);
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, list);
    for (int i = 0; i < list->count(); ++i) {
        Measure m;
        m.text = list->itemText(i);
        m.what = QStringLiteral("closed");
        m.needed = textWidth(list->fontMetrics(), m.text);
        // The style draws the current item a pixel in from each side of its field.
        m.available = field.width() - 2;
        measures << m;
    }
    list->showPopup();
    QAbstractItemView *view = list->view();
    QStyleOptionViewItem option;
    (view->*(&ExposedView<QAbstractItemView>::initViewItemOption))(&option);
    for (int i = 0; i < list->count(); ++i) {
        const QModelIndex index = list->model()->index(i, list->modelColumn(), list->rootModelIndex());
        Measure m;
        m.text = list->itemText(i);
        m.what = QStringLiteral("open");
        m.needed = itemWidthNeeded(view, index, option);
        m.available = view->viewport()->width(); // rows wider than the popup are cut at its edge
        measures << m;
    }
    list->hidePopup();
    return measures;
}

std::optional<Measure> measure(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return measureLabel(label);
    if (auto *check = qobject_cast<const QCheckBox *>(w))
        return measureCheck(check, QStyle::SE_CheckBoxContents);
    if (auto *radio = qobject_cast<const QRadioButton *>(w))
        return measureCheck(radio, QStyle::SE_RadioButtonContents);
    if (auto *button = qobject_cast<const QPushButton *>(w))
        return measureButton(button);
    if (auto *box = qobject_cast<const QGroupBox *>(w))
        return measureGroupTitle(box);
    return std::nullopt;
}

// Collects one line for each visible caption of `window` that does not fit.
struct FitCheck {
    QString language;
    QStringList overflows;
    QStringList builtinOverflows;
    int measured = 0;
    QSet<QString> seen; // the names of the captions measured
    QSet<QString> reported;

    void check(QWidget *window, const QString &state)
    {
        QCoreApplication::processEvents();
        const QString where = state.isEmpty() ? window->objectName()
                                              : QStringLiteral("%1 (%2)").arg(window->objectName(), state);
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(window) || w->window() != window)
                continue;
            QList<Measure> measures;
            if (auto *list = qobject_cast<QComboBox *>(w))
                measures = measureListItems(list);
            else if (const std::optional<Measure> m = measure(w))
                measures << *m;
            if (measures.isEmpty())
                continue;
            seen.insert(w->objectName());
            for (const Measure &m : std::as_const(measures))
                record(where, w->objectName(), m);
        }
    }

    void record(const QString &where, const QString &control, const Measure &m)
    {
        ++measured;
        if (m.needed + marginFor(m.text) <= m.available)
            return;
        const QString line = QStringLiteral("%1, %2, %3%4, \"%5\": needs %6 px, has %7 px")
                                 .arg(language, where, control, m.what.isEmpty() ? QString() : u' ' + m.what, m.text)
                                 .arg(m.needed)
                                 .arg(m.available);
        // One line a text of a control, however often the window is measured.
        const QString key = QStringList{control, m.what, m.text}.join(u'\n');
        if (reported.contains(key))
            return;
        reported.insert(key);
        (isBuiltinOverflow(control, m.text) ? builtinOverflows : overflows) << line;
    }
};

template <typename T = QWidget>
T *named(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

} // namespace

class TestFit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captionsFit_data();
    void captionsFit();
};

void TestFit::initTestCase()
{
    // The offscreen platform can neither raise a list's popup nor grab the keyboard for it, and
    // says so each time a list opens.
    static const QtMessageHandler tests = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (!message.startsWith(u"This plugin does not support"))
            tests(type, context, message);
    });
    // As the program itself sets it: controls that take no font of their own take this one.
    // Hinted as the Linux desktop hints it (fontconfig's "slight"), which keeps the widths of
    // the glyphs: FreeType's full hinting, Qt's default without fontconfig (on Windows), widens
    // small text by a pixel or two.
    QFont font = lookFont();
    font.setHintingPreference(QFont::PreferVerticalHinting);
    QApplication::setFont(font);
    // The measure holds for the font the windows are drawn with; here that is the font the
    // project installs in place of Verdana.
    const QString family = QFontInfo(lookFont()).family();
    QVERIFY2(family == u"Verdana" || family == u"DejaVu Sans",
             qPrintable(QStringLiteral("the windows are drawn in %1; install fonts-dejavu-core").arg(family)));
    qInfo("captions measured in %s, margin %d px", qPrintable(family), kMargin);
    QVERIFY(!shippedLanguages().isEmpty());
}

void TestFit::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &language : shippedLanguages())
        QTest::newRow(qPrintable(language)) << language;
}

void TestFit::captionsFit()
{
    QFETCH(QString, language);
    LocalHttpServer server;
    qputenv("KV40812_WEB_BASE", server.base().toUtf8());

    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    loadShippedLanguage(ws, language);
    main->Change_Language();

    FitCheck fit;
    fit.language = language;

    // The main window without and with a configuration, and with the news of a new version.
    main->show();
    fit.check(main.get(), QStringLiteral("no configuration"));
    QCOMPARE(createConfiguration(ws.state.Dir_Projects, QStringLiteral("Plant 1")), NewConfigurationResult::Created);
    activateConfiguration(ws.state, QStringLiteral("Plant 1"));
    main->Set_Lang();
    LocalHttpServer::Reply newer;
    newer.body = "VER. 9.999";
    server.setReply(newer);
    main->Timer_UpdateTimer();
    QTRY_VERIFY_WITH_TIMEOUT(!named(main.get(), QStringLiteral("LL_Update"))->isHidden(), kPatienceMs);
    fit.check(main.get(), QStringLiteral("configuration open, new version"));

    for (QDialog *dialog : std::initializer_list<QDialog *>{main->FNew_Project, main->FOpenConf, main->FAbout}) {
        dialog->show();
        fit.check(dialog, QString());
        dialog->hide();
    }

    // The options: each page, and both answers of the update check.
    TFSoftOptions *options = main->FSoftOptions;
    ws.state.Enable_Internet = ws.state.Enable_Update = true;
    options->show();
    auto *pages = named<QTabWidget>(options, QStringLiteral("PC_Options"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        fit.check(options, pages->widget(i)->objectName());
    }
    pages->setCurrentWidget(named(options, QStringLiteral("TS_Con_Options")));
    auto *result = named<QLabel>(options, QStringLiteral("LL_Check_Update"));
    for (const QByteArray &answer : {QByteArray("VER. 9.999"), QByteArray("VER. 1.200")}) {
        LocalHttpServer::Reply reply;
        reply.body = answer;
        server.setReply(reply);
        result->hide();
        options->Btn_Check_UpdateClick();
        QTRY_VERIFY_WITH_TIMEOUT(!result->isHidden(), kPatienceMs);
        fit.check(options, QStringLiteral("TS_Con_Options, check answered %1").arg(QString::fromLatin1(answer)));
    }
    options->hide();

    // The editor with each send type: together they show every row of its table.
    TFParGen *editor = main->FParGen;
    editor->show();
    auto *sendType = named<QComboBox>(editor, parameter(Param::Serial_Send_Type).control);
    for (const SendType type : allSendTypes()) {
        sendType->setCurrentIndex(static_cast<int>(type));
        fit.check(editor, QStringLiteral("send type %1").arg(static_cast<int>(type)));
    }
    editor->hide();
    for (const EditorGroup &group : editorGroups()) {
        for (const EditorRow &row : group.rows)
            QVERIFY2(fit.seen.contains(row.caption.control), qPrintable(row.caption.control));
    }

    // The update window, still and while it checks the device and runs the updater.
    TFBoot *boot = main->FBoot;
    boot->show();
    fit.check(boot, QString());
    ws.pinger.answer = [&](int attempt) {
        if (attempt == 0)
            fit.check(boot, QStringLiteral("checking the device"));
        return Pinger::Outcome::Reply;
    };
    bool started = false;
    boot->startProgram = [&](const QString &, const QString &, bool) {
        started = true;
        fit.check(boot, QStringLiteral("updating the device"));
    };
    ws.state.Device_IP_Address = QStringLiteral("127.0.0.1");
    boot->FormShow();
    boot->Btn_UpdateClick();
    QVERIFY(started);
    boot->hide();

    qInfo("%s: %d captions and list items measured", qPrintable(language), fit.measured);
    for (const QString &line : std::as_const(fit.builtinOverflows))
        qWarning("built-in English text, left as it is: %s", qPrintable(line));
    if (!fit.overflows.isEmpty())
        QFAIL(qPrintable(QStringLiteral("%1 captions or list items do not fit (needed + %2 px margin > available):\n")
                             .arg(fit.overflows.size())
                             .arg(kMargin)
                         + fit.overflows.join(u'\n')));
}

QTEST_MAIN(TestFit)
#include "test_fit.moc"

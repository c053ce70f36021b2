// Grabs every window of the configurator, in English, in each state that changes its look, as
// one PNG per state on Qt's offscreen platform (QWidget::grab draws the same pixels every time);
// and compares two such folders. scripts/compare-looks.sh builds this program against two
// source trees and compares what they draw.
//   grab_windows OUTDIR
//   grab_windows --compare REFDIR NEWDIR DIFFDIR
#include "app/UAbout.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "i18n/USoftOptions.h"
#include "params/UParGen.h"
#include "projects/UNew_Project.h"
#include "projects/UOpenConf.h"
#include "update/UBoot.h"
#include "widgets/Look.h"
#include "widgets/Services.h"
#include "widgets/StyledButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class SilentMessages : public MessageService {
public:
    void error(QWidget *, const QString &) override {}
    void warning(QWidget *, const QString &) override {}
    bool question(QWidget *, const QString &) override { return false; }
    void generalError(QWidget *, const QString &) override {}
};

QString g_out;

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void shoot(QWidget *widget, const QString &name)
{
    settle();
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A workspace with the shipped languages and three configurations; `active` names the last
// one the settings remember.
void makeWorkspace(const QString &dir, bool active)
{
    const QDir languages(QStringLiteral(KV_LANGUAGES));
    QDir().mkpath(dir + QStringLiteral("/LANGUAGE"));
    for (const QString &name : languages.entryList(QDir::Files))
        QFile::copy(languages.filePath(name), dir + QStringLiteral("/LANGUAGE/") + name);
    for (const char *name : {"Line 1", "Line 2", "Pump station"})
        QDir().mkpath(dir + QStringLiteral("/PROJECTS/") + QString::fromUtf8(name) + QStringLiteral("/bin"));
    writeFile(dir + QStringLiteral("/Zentrel.xml"),
              QByteArray("<Conf_Settings><lastproj><projectname>") + (active ? "Line 1" : "")
                  + "</projectname></lastproj><lastipadd><ipaddress>127.0.0.1</ipaddress></lastipadd>"
                    "<lastlang><language>English</language></lastlang></Conf_Settings>");
}

void shootDialog(QWidget *dialog, const QString &name)
{
    dialog->show();
    shoot(dialog, name);
    dialog->hide();
}

void shootEditor(TFParGen *editor)
{
    editor->show();
    shoot(editor, QStringLiteral("editor"));
    const QStringList groups{QStringLiteral("Serial"), QStringLiteral("ModbusSlave"), QStringLiteral("ModbusTCPSlave")};
    for (const QString &group : groups) {
        editor->findChild<QPushButton *>(QStringLiteral("Btn_%1_Collapse").arg(group))->click();
        shoot(editor, QStringLiteral("editor-%1-collapsed").arg(group));
        editor->findChild<QPushButton *>(QStringLiteral("Btn_%1_Expande").arg(group))->click();
    }
    for (const QString &group : groups)
        editor->findChild<QPushButton *>(QStringLiteral("Btn_%1_Collapse").arg(group))->click();
    shoot(editor, QStringLiteral("editor-all-collapsed"));
    // The pointer on a collapsed group's button.
    const QWidget *expand = editor->findChild<QPushButton *>(QStringLiteral("Btn_Serial_Expande"));
    QTest::mouseMove(editor->windowHandle(), expand->mapTo(editor, expand->rect().center()));
    shoot(editor, QStringLiteral("editor-expand-hover"));
    QTest::mouseMove(editor->windowHandle(), QPoint(1, 1));
    for (const QString &group : groups)
        editor->findChild<QPushButton *>(QStringLiteral("Btn_%1_Expande").arg(group))->click();
    auto *sendType = editor->findChild<QComboBox *>(QStringLiteral("CB_Serial_SendType"));
    for (int i = 1; i < sendType->count(); ++i) {
        sendType->setCurrentIndex(i);
        shoot(editor, QStringLiteral("editor-send-type-%1").arg(i));
    }
    editor->hide();
}

// The command button in each of its looks, side by side on a window's background; the pointer
// is moved and pressed through the window system, as a user's mouse would.
void shootButtons()
{
    QWidget host;
    applyLook(&host);
    host.setFixedSize(600, 150);
    const auto button = [&host](const QString &name, int x, int y, Picture picture, int size = 16) {
        auto *b = new StyledButton(&host, name, QRect(x, y, 130, 28), picture, size);
        b->setText(QStringLiteral("Caption"));
        return b;
    };
    button(QStringLiteral("Plain"), 10, 10, Picture::Ok);
    button(QStringLiteral("Left"), 150, 10, Picture::NewConfiguration, 24)->setCaptionLeftAligned(true);
    button(QStringLiteral("Right"), 290, 10, Picture::Next)->setPictureOnRight(true);
    button(QStringLiteral("NoPicture"), 430, 10, Picture::None);
    button(QStringLiteral("Disabled"), 10, 50, Picture::Cancel)->setEnabled(false);
    StyledButton *hover = button(QStringLiteral("Hover"), 150, 50, Picture::Ok);
    StyledButton *pressed = button(QStringLiteral("Pressed"), 290, 50, Picture::Ok);
    StyledButton *focused = button(QStringLiteral("Focused"), 430, 50, Picture::Ok);
    new StyledButton(&host, QStringLiteral("Icon"), QRect(10, 90, 50, 50), Picture::Options, 32);
    button(QStringLiteral("Long"), 70, 90, Picture::UpdateDevice)->setText(QStringLiteral("A caption far too long for its button"));
    StyledButton *keyDown = button(QStringLiteral("KeyDown"), 210, 90, Picture::Ok);
    host.show();
    host.activateWindow();
    QTest::mouseMove(host.windowHandle(), QPoint(590, 140));
    focused->setFocus();
    shoot(&host, QStringLiteral("buttons"));
    pressed->setFocus();
    QTest::keyClick(pressed, Qt::Key_Tab); // "Focused" reached with the Tab key: a focus frame inside
    shoot(&host, QStringLiteral("buttons-tab-focus"));
    keyDown->setFocus();
    keyDown->setDown(true); // the space bar held on the focused button
    shoot(&host, QStringLiteral("buttons-key-down"));
    keyDown->setDown(false);
    QTest::mouseMove(host.windowHandle(), hover->geometry().center());
    shoot(&host, QStringLiteral("buttons-hover"));
    QTest::mousePress(host.windowHandle(), Qt::LeftButton, {}, pressed->geometry().center());
    shoot(&host, QStringLiteral("buttons-pressed"));
    QTest::mouseRelease(host.windowHandle(), Qt::LeftButton, {}, pressed->geometry().center());
}

int grab(const QString &out)
{
    g_out = out;
    QDir().mkpath(out);
    SilentMessages messages;
    Services services;
    services.messages = &messages;
    // The main window on a fresh workspace; `active` gives it an active configuration.
    struct Start {
        QTemporaryDir dir;
        AppState state;
        std::unique_ptr<TFZentreleFirmWare> main;
    };
    const auto start = [&services](Start &s, bool active) {
        makeWorkspace(s.dir.path(), active);
        s.state.Dir_Exe = s.dir.path();
        s.main = Create_Windows(s.state, services);
        s.main->show();
    };
    {
        Start idle;
        start(idle, false);
        shoot(idle.main.get(), QStringLiteral("main"));
    }
    Start active;
    start(active, true);
    TFZentreleFirmWare *main = active.main.get();
    shoot(main, QStringLiteral("main-active"));
    shootDialog(main->FNew_Project, QStringLiteral("new-configuration"));
    shootDialog(main->FOpenConf, QStringLiteral("open-configuration"));
    shootDialog(main->FAbout, QStringLiteral("about"));
    auto *tabs = main->FSoftOptions->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
    for (int i = 0; i < tabs->count(); ++i) {
        main->FSoftOptions->show();
        tabs->setCurrentIndex(i);
        shoot(main->FSoftOptions, QStringLiteral("options-%1").arg(i + 1));
        main->FSoftOptions->hide();
    }
    shootEditor(main->FParGen);
    main->FBoot->Form_Type = 1;
    shootDialog(main->FBoot, QStringLiteral("update"));
    shootButtons();
    return 0;
}

// A pixel differs when a colour channel differs by more than kChannelTolerance: what the
// anti-aliasing of a curve may move. Beyond that nothing may differ.
constexpr int kChannelTolerance = 24;

int compare(const QString &refDir, const QString &newDir, const QString &diffDir)
{
    QTextStream out(stdout);
    QDir().mkpath(diffDir);
    int failures = 0;
    const QStringList names = QDir(refDir).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        out << "no pictures in " << refDir << Qt::endl;
        return 2;
    }
    for (const QString &name : names) {
        const QImage a = QImage(QDir(refDir).filePath(name)).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(QDir(newDir).filePath(name)).convertToFormat(QImage::Format_RGB32);
        if (b.isNull() || a.size() != b.size()) {
            out << "DIFFERENT " << name << ": size " << a.width() << "x" << a.height() << " -> "
                << b.width() << "x" << b.height() << Qt::endl;
            ++failures;
            continue;
        }
        QImage diff = a;
        int exact = 0, beyond = 0, worst = 0;
        for (int y = 0; y < a.height(); ++y) {
            const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
            const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
            QRgb *pd = reinterpret_cast<QRgb *>(diff.scanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                const int d = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                        std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
                if (d == 0) {
                    pd[x] = qRgb(qGray(pa[x]) / 4 + 190, qGray(pa[x]) / 4 + 190, qGray(pa[x]) / 4 + 190);
                    continue;
                }
                ++exact;
                worst = std::max(worst, d);
                if (d > kChannelTolerance)
                    ++beyond;
                pd[x] = d > kChannelTolerance ? qRgb(255, 0, 0) : qRgb(255, 160, 0);
            }
        }
        const bool same = beyond == 0;
        out << (same ? "same      " : "DIFFERENT ") << name << ": " << exact << " pixels differ, " << beyond
            << " beyond the tolerance, largest channel difference " << worst << Qt::endl;
        if (exact > 0)
            diff.save(QDir(diffDir).filePath(name));
        if (!same)
            ++failures;
    }
    out << names.size() << " pictures, " << failures << " different" << Qt::endl;
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(lookFont());
    const QStringList args = QApplication::arguments();
    if (args.size() == 5 && args.at(1) == u"--compare")
        return compare(args.at(2), args.at(3), args.at(4));
    if (args.size() == 2 && !args.at(1).startsWith(u'-'))
        return grab(args.at(1));
    std::fprintf(stderr, "usage: grab_windows OUTDIR | grab_windows --compare REFDIR NEWDIR DIFFDIR\n");
    return 2;
}

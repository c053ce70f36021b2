#pragma once

#include "core/AppState.h"
#include "core/Paths.h"
#include "params/ParameterFile.h"
#include "support/FakePinger.h"
#include "widgets/Services.h"

#include <QDir>
#include <QList>
#include <QProcess>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

// Records every message box instead of showing it, and answers questions as told.
class FakeMessages : public MessageService {
public:
    struct Shown {
        QString kind; // "error", "warning", "question" or "general"
        QString text;
    };

    void error(QWidget *, const QString &text) override { record(QStringLiteral("error"), text); }
    void warning(QWidget *, const QString &text) override { record(QStringLiteral("warning"), text); }
    bool question(QWidget *, const QString &text) override
    {
        record(QStringLiteral("question"), text);
        return answer;
    }
    void generalError(QWidget *, const QString &text) override { record(QStringLiteral("general"), text); }

    QStringList texts() const;
    void clear() { shown.clear(); }

    QList<Shown> shown;
    bool answer = true;
    std::function<void(const Shown &)> onShow; // runs while the "box" is up

private:
    void record(const QString &kind, const QString &text);
};

// A temporary workspace with its own state and fake platform parts.
struct TestWorkspace {
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace &) = delete;
    TestWorkspace &operator=(const TestWorkspace &) = delete;

    // In the system's own separators, as the program names its files.
    QString path(const QString &relative) const
    {
        return joinPath(QDir::toNativeSeparators(dir.path()), QDir::toNativeSeparators(relative));
    }
    void writeFile(const QString &relative, const QByteArray &data) const;
    QByteArray readFile(const QString &relative) const;

    // Makes PROJECTS/<name>, with its bin folder, the active configuration.
    void useProject(const QString &name);
    // Writes the active configuration's parameter file: the defaults with these changes.
    ParameterValues saveParameters(const QList<std::pair<Param::Id, QString>> &changes);

    QTemporaryDir dir;
    AppState state;
    FakeMessages messages;
    FakePinger pinger;
    Services services;
    QList<QUrl> openedUrls;
};

// How long a test waits for a real program to start or end, or for a window to show: as long as
// a loaded machine needs.
inline constexpr int kPatienceMs = 60000;

// What a started program wrote so far (left unread) and how it ended, or that it still runs: for
// the message of a test that waited for it in vain.
QString processReport(QProcess &process);

// Runs `action` on the next modal window that opens (once the event loop turns). Without one
// within kPatienceMs, or by the end of the test function (or row), it gives up; the former fails
// the test.
void onNextModal(std::function<void(QWidget *)> action);

QString fixturePath(const QString &name);

// Windows folder names: none ends in a blank or a dot, none is a device's (CON, NUL, ...), and
// none holds <>:"|?* or a control character. Tests of names ask this where the systems differ.
bool systemHasWindowsNames();

// Applies "0x03C: 80 25 00 00; 0x158: 01" to an image.
void patch(QByteArray &image, const QString &changes);

// The sum of an image's bytes before its checksum, counted here rather than by the code under test.
quint32 sumBeforeChecksum(const QByteArray &image);

// Puts the sum of the bytes before it into an image's checksum.
void setImageChecksum(QByteArray &image);

// The names of the languages shipped in languages/ ("Deutsch", ...), in file name order.
QStringList shippedLanguages();

// Copies the shipped languages into the workspace and loads `language` as the options window
// does; the caller has the windows take its texts (Change_Language).
void loadShippedLanguage(TestWorkspace &ws, const QString &language);

// The image of a parameter file's bytes, or of none; empty, with a warning, if it is no XML.
QByteArray composedImage(const std::optional<QByteArray> &parGen);

// "Key=Text;Key=Text" over the defaults; `changed` gets the keys in that order.
ParameterValues valuesWith(const QString &changes, QList<Param::Id> *changed = nullptr);

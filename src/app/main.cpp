#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/Constants.h"
#include "core/Paths.h"
#include "core/Workspace.h"
#include "widgets/Look.h"
#include "widgets/Services.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kv40812"));
    // No display name: the window system would append it to every window's title.
    QApplication::setApplicationVersion(kSwVersion);
    QApplication::setFont(lookFont());

    AppState state;
    state.Dir_Exe = resolveWorkspace(QApplication::arguments(), QApplication::applicationDirPath());
    QDir().mkpath(state.Dir_Exe); // a new --workspace folder, or the per-user one
    QString error;
    if (!copyShippedLanguages(shippedLanguagesFolder(QApplication::applicationDirPath()),
                              joinPath(state.Dir_Exe, kLanguageFolder), &error))
        qWarning("%s", qUtf8Printable(error));
    Services services = realServices(state);

    auto mainWindow = Create_Windows(state, services);
    mainWindow->show();
    centreOnScreen(mainWindow.get());
    return app.exec();
}

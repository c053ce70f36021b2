#include "update/Updater.h"

#include <QProcess>

#include <unistd.h>

void startOnItsOwn(QProcess &process, bool)
{
    // A session of its own: our terminal's hang-up and interrupt never reach it.
    process.setChildProcessModifier([] { ::setsid(); });
}

#pragma once

#include "app/UZentreleFirmWare.h"
#include "support/TestSupport.h"
#include "update/UBoot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <memory>

// Puts the stand-in updater (tests/standin) into `folder` as Ethernet_Update.exe: it records each
// start (pid, argument count), its working folder, how it was started and the job file it found,
// then sleeps as long as asked and prints `lines` lines on its output and its errors.
void writeUpdater(const QString &folder, int sleepSeconds, int lines = 0);

// The starts the stand-in updater in `folder` recorded, "pid argument-count" each.
QStringList updaterStarts(const QString &folder);

// The update window of a full set of windows, shown and active, with a configuration.
struct UpdateWindow {
    explicit UpdateWindow(TestWorkspace &ws);
    QLineEdit *edit(int i) const { return boot->findChild<QLineEdit *>(QStringLiteral("E_IP%1").arg(i)); }
    QPushButton *button(const char *name) const { return boot->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QComboBox *options() const { return boot->findChild<QComboBox *>(QStringLiteral("CB_Update_Options")); }
    QCheckBox *readBack() const { return boot->findChild<QCheckBox *>(QStringLiteral("CB_Update_Option_Read_Back")); }

    std::unique_ptr<TFZentreleFirmWare> main;
    TFBoot *boot;
};

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

// A stand-in updater: records each start (pid, argument count), its working folder and the
// job file it found, then sleeps as long as asked.
void writeUpdater(const TestWorkspace &ws, int sleepSeconds);

// The starts the stand-in updater recorded, "pid argument-count" each.
QStringList updaterStarts(const TestWorkspace &ws);

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

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one update job asks of the external updater.
struct UpdateJob {
    QStringList addressParts; // the four address fields, as typed
    int option = 0;           // 0 firmware + configuration, 1 firmware, 2 configuration
    bool readBack = false;
    QString dirMaster;        // holds the firmware master file
    QString projectDir;       // holds bin/bank.bin
};

// The job file's name in the workspace.
QString updateJobPath(const QString &dirExe);

// The job file's bytes: no declaration, no indentation.
QByteArray composeUpdateJob(const UpdateJob &job);

// Writes the job file in place of any earlier one; the error names the file.
bool writeUpdateJob(const QString &dirExe, const UpdateJob &job, QString *error);

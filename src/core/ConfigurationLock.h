#pragma once

#include <QLockFile>
#include <QString>

// One writer of a configuration at a time, across runs of the configurator and the tool: a run
// that reads ParGen.xml to write it back, or that writes ParGen.xml and bin/bank.bin together,
// holds the lock of the configuration's folder while it does. The lock goes with the object.
class ConfigurationLock {
public:
    // Long enough for another run's save to end, short enough for a script to go on.
    static constexpr int kWaitMs = 5000;

    explicit ConfigurationLock(const QString &projectDir);
    // The lock file in a configuration's folder.
    static QString pathIn(const QString &projectDir);
    ConfigurationLock(const ConfigurationLock &) = delete;
    ConfigurationLock &operator=(const ConfigurationLock &) = delete;

    // Waits up to `waitMs` for the lock. A lock left by a run that has ended on this machine is
    // taken over. False with a message naming the run that holds it.
    bool acquire(QString *error, int waitMs = kWaitMs);

private:
    QString m_folder;
    QString m_path;
    QLockFile m_lock;
};

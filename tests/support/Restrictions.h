#pragma once

#include <QString>

#include <functional>

// Per system (Restrictions_posix.cpp, Restrictions_win.cpp): what a test takes away from itself
// to stand where the program meets a full disk or a folder it may not write.

// Empty where the files this process writes can be limited in size; else why not.
QString fileSizeLimitMissing();

// Runs `action` with the files this process writes limited to `limit` bytes, so that a write
// stops part-way as on a full disk; the limit binds root as anyone.
void withFileSizeLimit(qint64 limit, const std::function<void()> &action);

// The user that a program started by this test should run as to stand where an ordinary user
// stands: empty when this test is not root; else "nobody", who then owns `workspace`. Sets
// `missing` to why not where there is no such user.
QString ordinaryUser(const QString &workspace, QString *missing);

// While it lives, `folder` takes no new file, as for an ordinary user; the files of the
// workspace stay writable. Root takes the place of "nobody" for that while.
class FolderTakingNoNewFile {
public:
    FolderTakingNoNewFile(const QString &workspace, const QString &folder);
    ~FolderTakingNoNewFile();
    FolderTakingNoNewFile(const FolderTakingNoNewFile &) = delete;
    FolderTakingNoNewFile &operator=(const FolderTakingNoNewFile &) = delete;

    // Empty when the folder takes no new file now; else why not.
    QString missing() const { return m_missing; }

private:
    QString m_folder;
    bool m_dropped = false;
    QString m_missing;
};

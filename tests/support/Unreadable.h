#pragma once

#include <QString>

// Per system (Unreadable_posix.cpp, Unreadable_win.cpp): while it lives, a file at `path` that
// exists but fails every read, for root too: a link to /proc/self/mem (Linux), a file that
// another handle holds without sharing (Windows).
class UnreadableFile {
public:
    explicit UnreadableFile(const QString &path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile &) = delete;
    UnreadableFile &operator=(const UnreadableFile &) = delete;

    // Empty when the file is in place; else why it is not.
    QString missing() const { return m_missing; }

private:
    void *m_handle = nullptr;
    QString m_missing;
};

#include "support/Unreadable.h"

#include <QDir>

#include <windows.h>

UnreadableFile::UnreadableFile(const QString &path)
{
    // No sharing: every other open fails until this handle goes. Its text would change the
    // table, should a read get through.
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_missing = QStringLiteral("cannot hold %1 without sharing").arg(path);
        return;
    }
    const char text[] = "STR12 = read after all\r\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    m_handle = file;
}

UnreadableFile::~UnreadableFile()
{
    if (m_handle)
        CloseHandle(m_handle);
}

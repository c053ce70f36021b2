#pragma once

#include <QString>

// The rules on names that become folders and files of the workspace: configurations and
// languages. A name from a file or a command line is an entry of its folder and nothing else.

// A name that stays one visible entry directly inside its folder: not empty, no separator of
// any system, no leading dot (hidden, and "." or ".."), no control character, nothing XML cannot
// hold (names are remembered in the settings file).
bool isPlainName(const QString &name);

// The key under which Windows or macOS see one folder: letter case, Unicode normalisation
// (NFC and NFD) and trailing blanks and dots set aside.
QString folderKey(const QString &name);

// How `name` differs from `other`, which has the same folder key, as a message.
QString sameFolderMessage(const QString &name, const QString &other);

// Why Windows cannot hold `name` as a folder name, as a message; empty when it can.
QString windowsNameProblem(const QString &name);

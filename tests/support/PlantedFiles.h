#pragma once

#include <QString>

// Per system (PlantedFiles_posix.cpp, PlantedFiles_win.cpp): the links and special files that
// someone else may put into a workspace.

// Empty where a test can plant links and FIFOs; else why not.
QString plantedFilesMissing();

// Makes a FIFO at `path`; false where none can be made.
bool makeFifo(const QString &path);

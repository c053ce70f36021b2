#pragma once

#include <QString>

// Joins a folder and a name with the platform's separator; folders never end in one.
QString joinPath(const QString &folder, const QString &name);

// Where a configuration keeps its parameter file: <folder>/ParGen.xml.
QString parameterFilePathIn(const QString &projectDir);

// Where a configuration keeps its image: <folder>/bin/bank.bin.
QString imageFilePathIn(const QString &projectDir);

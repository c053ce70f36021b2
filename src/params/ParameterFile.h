#pragma once

#include "params/Parameters.h"

#include <QByteArray>
#include <QDomDocument>
#include <QString>

#include <array>

// One text per parameter, indexed by Param::Id: a choice as its index ("-1" for none), a number
// as typed, a flag as "1" or "0". The editor and the command-line tool both work on this.
using ParameterValues = std::array<QString, Param::Count>;

// Every parameter at its default.
ParameterValues defaultParameterValues();

// How many items a choice offers (its fixed items or its translated ones).
int choiceItemCount(const ParameterDef &def);

// The values of a parsed document: its first node is the root whatever its name, and every
// missing or unreadable key takes its default.
ParameterValues parameterValuesFromXml(const QDomDocument &doc);

// Reads `path`. A missing file gives the defaults. A file that cannot be read or parsed gives
// the defaults too, but returns false with the reason in `error`.
bool loadParameterFile(const QString &path, ParameterValues *values, QString *error);

// The file's bytes: root Par_Gen, the keys in table order, then the version comment.
QByteArray parameterFileBytes(const ParameterValues &values);

// Writes the whole file or nothing; the error names the file. A file there that did not read as
// XML is kept first (replaceXmlFile); `keptAs` names that copy.
bool saveParameterFile(const QString &path, const ParameterValues &values, QString *error,
                       QString *keptAs = nullptr);

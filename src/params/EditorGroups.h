#pragma once

#include "params/ParameterFile.h"
#include "params/SendType.h"

#include <QList>
#include <QString>

#include <optional>

// The editor's three groups and their rows, for whatever shows a parameter set as the
// editor does without its window.

struct EditorRow {
    int caption = -1;                // text index of the row's caption
    QString captionControl;          // the editor's control that shows the caption
    std::optional<Param::Id> check;  // the row's check box, which switches its value on
    QList<Param::Id> values;         // one field or list, or the four numbers of an address
};

struct EditorGroup {
    QString box;  // the group box's objectName
    int caption;  // text index of its caption
    QList<EditorRow> rows;
};

// Serial, Modbus Slave, Ethernet, each with its rows from top to bottom.
const QList<EditorGroup> &editorGroups();

// The send type shows End Character or Num Bytes to Send, or neither; every other row shows.
bool editorShowsRow(const EditorRow &row, const ParameterValues &values);

#pragma once

#include "params/ParameterFile.h"
#include "params/SendType.h"

#include <QList>
#include <QString>

#include <optional>

// The editor's three groups and their rows. The editor builds its controls from this table, and
// whatever shows a parameter set as the editor does without its window reads it too.

// Where a control sits in its group box.
struct ControlPlace {
    int left = 0;
    std::optional<int> top; // none: placed by the layout
    int width = 0;          // width and height: none for a label, which is as wide as its text
    int height = 0;
};
inline constexpr std::nullopt_t kByLayout = std::nullopt;

// A row's caption: a label, or a check box that holds a flag.
struct RowCaption {
    int text = -1;                 // text index
    QString control;               // objectName; a check box's is its flag's control
    std::optional<Param::Id> flag; // a check box: the flag it holds, which switches the row's value on
    int hint = -1;                 // text index, -1: none
    ControlPlace place;
};

// One input control of a row: a list for a choice, an edit field for a number.
struct RowInput {
    Param::Id value;
    ControlPlace place;
    int hint = -1; // text index, -1: none
};

enum class RowKind {
    Plain,   // a caption and its list or field
    Address, // a caption over the four numbers of a dotted address, a "." between neighbours
};

struct EditorRow {
    RowKind kind = RowKind::Plain;
    RowCaption caption;
    QList<RowInput> inputs;
    QList<SendType> sendTypes = allSendTypes(); // the send types with which the editor shows it

    bool placedByLayout() const { return !caption.place.top; }
};

struct EditorGroup {
    QString name; // the box is GB_<name>, its buttons Btn_<name>_Collapse and Btn_<name>_Expande
    int caption;  // text index
    QList<EditorRow> rows; // from top to bottom

    QString box() const { return QStringLiteral("GB_") + name; }
};

// Serial, Modbus Slave, Ethernet.
const QList<EditorGroup> &editorGroups();

// Whether the editor shows the row with that send type; with no send type it shows what Fix
// Num Bytes shows.
bool editorShowsRow(const EditorRow &row, std::optional<SendType> sendType);
bool editorShowsRow(const EditorRow &row, const ParameterValues &values);

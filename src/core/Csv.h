#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text as RFC 4180 writes it, as spreadsheets save it.

// A field is its text, quoted or not: "" and nothing are the same empty field.
struct CsvRecord {
    int line = 0;        // the line the record begins on, counting from 1
    QStringList fields;
};

struct CsvTable {
    QChar delimiter = u',';
    QList<CsvRecord> records; // blank lines are not records
    int notUtf8Line = 0;      // the first line that is not UTF-8, where the text was read as Windows-1252
};

struct CsvError {
    int line = 0;
    QString message;
};

// Reads UTF-8 text with or without a byte-order mark (text that is not UTF-8 as Windows-1252),
// CRLF or LF line ends, quoted fields with doubled quotes and with delimiters and line breaks
// inside. The delimiter is a comma or a semicolon, whichever the first record holds more of
// (spreadsheets in many locales write semicolons). False with the line and the reason on malformed text.
bool readCsv(const QByteArray &data, CsvTable *table, CsvError *error);

// One record ending in CRLF. A field is quoted when it holds a comma, a semicolon, a quote or a
// line break, or begins or ends with a blank, which a spreadsheet might otherwise drop; a record
// of one empty field is written "" to stay a record.
QString csvRecord(const QStringList &fields, QChar delimiter = u',');

// A spreadsheet runs a cell that begins with =, +, -, @, a tab or a carriage return as a formula.
bool startsLikeFormula(QStringView text);

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text as RFC 4180 writes it, as spreadsheets save it.

struct CsvRecord {
    int line = 0;        // the line the record begins on, counting from 1
    QStringList fields;
    QList<bool> quoted;  // per field: written in quotes, so that "" is a deliberate empty text
};

struct CsvTable {
    QChar delimiter = u',';
    QList<CsvRecord> records; // blank lines are not records
};

struct CsvError {
    int line = 0;
    QString message;
};

// Reads UTF-8 text with or without a byte-order mark, CRLF or LF line ends, quoted fields with
// doubled quotes and with delimiters and line breaks inside. The delimiter is a comma or a
// semicolon, whichever the first record holds more of (spreadsheets in many locales write
// semicolons). False with the line and the reason on malformed text.
bool readCsv(const QByteArray &data, CsvTable *table, CsvError *error);

// One record ending in CRLF. A field is quoted when it is empty (so that it reads back as a
// value, not as a blank cell), holds a comma, a semicolon, a quote or a line break, or begins or
// ends with a blank, which a spreadsheet might otherwise drop.
QString csvRecord(const QStringList &fields, QChar delimiter = u',');

// A spreadsheet runs a cell that begins with =, +, -, @, a tab or a carriage return as a formula.
// Such a text is written with an apostrophe before it, and so is one that begins with
// apostrophes followed by one of those; reading drops that one apostrophe again. Every text
// comes back as it was written: "=1+2" is written '=1+2, "'-5" is written ''-5.
QString formulaSafeCell(const QString &text);
QString cellFromFormulaSafe(const QString &cell);

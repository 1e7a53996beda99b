#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as password programs, browsers and spreadsheets
// write them: fields in double quotes may hold separators, line breaks and
// doubled quotes; UTF-8 with or without a byte-order mark; lines end in
// CRLF, LF or CR, the last one may have no end. The separator is a comma,
// or a semicolon when the header row holds more semicolons than commas
// (outside quotes). Lines that hold nothing are left out.
namespace CsvReader {

struct Record {
    int line = 0; // the line of the file it starts on, from 1
    QStringList fields;
};

struct Table {
    QList<Record> records; // the header row first
    char separator = ',';
    // Why the bytes are not a table (naming the line); empty when read.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

Table read(QByteArrayView bytes);

} // namespace CsvReader

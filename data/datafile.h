#pragma once

#include "recordtable.h"

#include <QString>
#include <QStringList>

// What became of one data file during a reload.
enum class FileOutcome {
    Read,           // header and section line found; its records (possibly none) were appended
    NotRegular,     // missing, empty path, hidden (name starts with "."), or not a regular file
    CannotRead,     // a regular file that could not be opened or read
    WrongHeader,    // first line is not exactly "QUENTAR@V2"
    NoSectionLine,  // the file ended before its section line
};

// A short English reason for the command-line tools ("not a regular file", ...).
QString describeOutcome(FileOutcome outcome);

// Reads one data file and appends its records to LoadLines, in file order.
// A file that cannot be used appends nothing.
// Only the first bytes of a file are read before its header is known to be
// right, so a large file of anything else is rejected at once.
FileOutcome ReadDataFile(const QString &FileName, RecordTable &LoadLines);

// The same on a file's content already in memory.
FileOutcome ReadDataBytes(QByteArrayView bytes, RecordTable &LoadLines);

// Code page 932 bytes decoded on their own, as the reader decodes a file:
// malformed sequences become U+FFFD, each byte below 0x80 its own character.
QString decodeDataText(QByteArrayView bytes);

struct FileLoadResult {
    QString fileName;
    FileOutcome outcome;
    qsizetype records;  // records this listing contributed
};

// Rebuilds the table from scratch from entries 1..DataFileCount of DataFiles
// (entry 0 unused), in list order; the same file listed twice loads twice.
std::vector<FileLoadResult> FileReload(RecordTable &table, const QStringList &DataFiles, qsizetype DataFileCount);

#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// The in-memory record table: every record of every loaded data file, in load
// order, numbered from 1. Each record is stored as its joined line (number
// field, section text, own text) in one shared character pool, so a record
// costs its characters plus one offset.
//
// DataNums(i) is the first 8 characters of the joined line and DataTexts(i)
// the rest; a joined line of 9 characters or fewer still counts in DataCount,
// but both of its entries read as empty (such a record can never be found).
// Counts are 64-bit: the table has no record limit.
class RecordTable
{
public:
    qsizetype DataCount() const { return qsizetype(m_starts.size()) - 1; }
    QStringView DataNums(qsizetype i) const;
    QStringView DataTexts(qsizetype i) const;
    // The whole joined line of record i, as the loader stored it.
    QStringView joinedLine(qsizetype i) const;

    void clear();
    // Appends one record whose joined line is number + section + rest.
    void appendJoined(QStringView number, QStringView section, QStringView rest);
    void appendJoinedLine(QStringView line) { appendJoined(line, {}, {}); }
    void reserve(qsizetype records, qsizetype characters);

    // For tests and tools: a table holding the given joined lines in order.
    static RecordTable fromJoinedLines(const QStringList &lines);

    // Characters held in the pool (for memory figures).
    qsizetype poolSize() const { return m_pool.size(); }

private:
    QString m_pool;
    // m_starts[i - 1] is where record i begins; the last entry is the pool's
    // end, so record i ends where record i + 1 begins.
    std::vector<qsizetype> m_starts{0};
};

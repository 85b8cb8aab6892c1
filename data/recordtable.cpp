#include "recordtable.h"

#include <cstring>

namespace {
constexpr qsizetype NumberLength = 8;
// A joined line must be longer than this to be split into number and text.
constexpr qsizetype ShortestSplit = 9;
}

QStringView RecordTable::joinedLine(qsizetype i) const
{
    if (i < 1 || i > DataCount())
        return {};
    const qsizetype b = m_starts[size_t(i - 1)];
    return QStringView(m_pool).sliced(b, m_starts[size_t(i)] - b);
}

QStringView RecordTable::DataNums(qsizetype i) const
{
    const QStringView line = joinedLine(i);
    return line.size() > ShortestSplit ? line.first(NumberLength) : QStringView();
}

QStringView RecordTable::DataTexts(qsizetype i) const
{
    const QStringView line = joinedLine(i);
    return line.size() > ShortestSplit ? line.sliced(NumberLength) : QStringView();
}

void RecordTable::clear()
{
    m_pool.clear();
    m_starts.assign(1, 0);
}

void RecordTable::appendJoined(QStringView number, QStringView section, QStringView rest)
{
    // One resize and three copies: the loader calls this once per record.
    const qsizetype at = m_pool.size();
    m_pool.resize(at + number.size() + section.size() + rest.size());
    QChar *out = m_pool.data() + at;
    for (QStringView part : {number, section, rest}) {
        if (!part.isEmpty())
            std::memcpy(static_cast<void *>(out), part.data(), size_t(part.size()) * sizeof(QChar));
        out += part.size();
    }
    m_starts.push_back(m_pool.size());
}

void RecordTable::reserve(qsizetype records, qsizetype characters)
{
    m_starts.reserve(size_t(records) + 1);
    m_pool.reserve(characters);
}

RecordTable RecordTable::fromJoinedLines(const QStringList &lines)
{
    RecordTable t;
    for (const QString &l : lines)
        t.appendJoinedLine(l);
    return t;
}

#pragma once

#include "data/recordtable.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The result list's texts.
inline const QString NotFoundLine = QStringLiteral("見つかりませんでした");
inline const QString SearchingText = QStringLiteral("検索中 ");
// "検索終了 " + the count with one leading blank + "件": "検索終了  2件".
QString finishedText(qsizetype hitCount);

// A result line: number field, TAB, text field.
QString resultLine(const RecordTable &table, qsizetype record);

// Record numbers (1-based, into the RecordTable) of a search's hits, in the
// result list's order.
using HitList = std::vector<std::uint32_t>;

struct SearchOutcome {
    HitList hits;
    bool blankKey = false;   // key empty or blanks only: the search box is to be emptied
    QString status;          // final status text
    bool notFound() const { return hits.empty(); }
};

// The search over one record table. The list order of all records is fixed
// once per table (rebuild), so a search is a single pass that yields hits
// already in list order.
//
// List order: ascending by result line, case-insensitive (Qt's case folding),
// ties by exact UTF-16 order, then by table order.
class SearchIndex
{
public:
    // Rebuilds the index for table; the table must outlive the index or the
    // next rebuild.
    void rebuild(const RecordTable &table);
    void clear();

    // Called now and then during a long scan with the hits found so far.
    using Progress = std::function<void(const HitList &hitsSoFar)>;

    // The whole search: blank-key rule, scan, status text.
    SearchOutcome search(QStringView key, const Progress &progress = {}) const;

    // The scan alone: appends the records whose text contains key to hits.
    // A key that begins or ends with a blank matches nothing.
    void scan(QStringView key, HitList &hits, const Progress &progress = {}) const;

    const RecordTable *table() const { return m_table; }
    // Records in the index (those with non-empty entries) and the heap bytes
    // the index holds, for memory figures.
    qsizetype size() const { return qsizetype(m_count); }
    qsizetype memoryBytes() const;

private:
    // A large buffer: on huge pages where the system offers them (few page
    // faults while it is first filled), else from new[].
    struct Release {
        std::size_t mapped;  // bytes mapped, 0 for new[]
        void operator()(std::byte *p) const noexcept;
    };
    using Memory = std::unique_ptr<std::byte[], Release>;
    static Memory allocate(std::size_t bytes);

    const RecordTable *m_table = nullptr;
    // One block holding, for the m_count indexed records: the records in
    // list order, where each one's text starts in the text buffer (one more
    // entry: the buffer's end), and the text buffer, all texts in list order,
    // each followed by NUL.
    Memory m_memory;
    std::size_t m_bytes = 0;
    std::size_t m_count = 0;
    const std::uint32_t *m_order = nullptr;
    const std::uint32_t *m_starts = nullptr;
    const char16_t *m_text = nullptr;
};

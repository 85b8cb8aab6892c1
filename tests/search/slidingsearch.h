#pragma once

// The search's sliding comparison transcribed literally, as the reference the
// engine is checked and measured against.

#include "data/recordtable.h"
#include "search/searchengine.h"

#include <QStringView>

#include <algorithm>

inline QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && s.front() == u' ')
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

// The sliding comparison, step by step: every record, every start position
// j, k characters, trimmed, compared with the untrimmed key. Hits in table order.
inline HitList slidingSearch(const RecordTable &table, QStringView P)
{
    HitList hits;
    if (trimBlanks(P).isEmpty())
        return hits;
    const qsizetype k = P.size();
    for (qsizetype i = 1; i <= table.DataCount(); ++i) {
        const QStringView T = table.DataTexts(i);
        const qsizetype last = T.size() - k + 1;
        for (qsizetype j = 1; j <= last; ++j) {
            if (trimBlanks(T.mid(j - 1, k)) == P) {
                hits.push_back(std::uint32_t(i));
                break;
            }
        }
    }
    return hits;
}

// The list order spelled out on whole result lines.
inline void sortAsList(const RecordTable &table, HitList &hits)
{
    std::stable_sort(hits.begin(), hits.end(), [&](std::uint32_t a, std::uint32_t b) {
        const QString la = resultLine(table, a), lb = resultLine(table, b);
        if (const int c = la.compare(lb, Qt::CaseInsensitive))
            return c < 0;
        return la.compare(lb, Qt::CaseSensitive) < 0;
    });
}

// What the engine must give: the sliding comparison's hits in list order.
inline HitList expectedHits(const RecordTable &table, QStringView key)
{
    HitList hits = slidingSearch(table, key);
    sortAsList(table, hits);
    return hits;
}

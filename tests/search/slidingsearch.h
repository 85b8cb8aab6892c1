#pragma once

// The search's sliding comparison transcribed literally, as the reference the
// engine is checked and measured against.

#include "data/recordtable.h"
#include "search/searchengine.h"

#include <QStringView>

namespace {

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && s.front() == u' ')
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

// The sliding comparison, step by step: every record, every start position
// j, k characters, trimmed, compared with the untrimmed key. Hits in table order.
HitList slidingSearch(const RecordTable &table, QStringView P)
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

}

// The search engine against the literal sliding comparison: arbitrary keys
// and record texts over an alphabet chosen to hit blanks, case folding,
// surrogates and the NUL that separates texts inside the index.

#include "data/recordtable.h"
#include "search/searchengine.h"

#include "search/slidingsearch.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr char16_t Alphabet[] = {
    u' ',  u' ',  u' ',  u'\t', u'\0', u'\r', u'\n', u'a',  u'A',  u'b',  u'B',  u's',  u'S',
    u'ſ',  u'k',  u'K',  u'\u212A', u'σ', u'Σ', u'ς', u'ß', u'İ', u'i', u'ı', u'µ', u'μ',
    u'千', u'代', u'田', u'区', u'町', u'　', u'ｱ', u'ア', u'あ', u'-', u'0', u'1', u'9',
    u'\xD801', u'\xDC00', u'\xDC28', u'\xFFFD', u'\\', u';', u'_', u'~', u'\x7F',
};
constexpr std::uint8_t Separator = 0xFF;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Segments split at 0xFF: the key first, then one joined line each.
    QStringList segments{QString()};
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == Separator)
            segments << QString();
        else
            segments.back() += QChar(Alphabet[data[i] % std::size(Alphabet)]);
    }
    const QString key = segments.takeFirst();
    const RecordTable table = RecordTable::fromJoinedLines(segments);

    SearchIndex index;
    index.rebuild(table);
    const SearchOutcome got = index.search(key);
    if (got.hits != expectedHits(table, key))
        std::abort();
    if (got.blankKey != (trimBlanks(key).isEmpty()))
        std::abort();
    return 0;
}

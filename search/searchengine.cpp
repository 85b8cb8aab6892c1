#include "searchengine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr qsizetype NumberLength = 8;
// Characters scanned between two progress calls.
constexpr qsizetype ProgressStep = qsizetype(1) << 18;
// Ends every text in the search buffer; a key without it cannot match across texts.
constexpr char16_t Separator = u'\0';

bool isBlankKey(QStringView key)
{
    return std::all_of(key.begin(), key.end(), [](QChar c) { return c == u' '; });
}

// Qt's case folding of one UTF-16 unit that is not a surrogate (the folding
// QString::compare applies with Qt::CaseInsensitive).
inline char16_t foldUnit(char16_t u)
{
    if (u < 0x80)
        return (u >= u'A' && u <= u'Z') ? char16_t(u + 32) : u;
    return char16_t(QChar::toCaseFolded(char32_t(u)));
}

// First position of key (m >= 1 units) in s[0, n), or -1.
inline qsizetype findKey(const char16_t *s, qsizetype n, const char16_t *key, qsizetype m)
{
    if (m > n)
        return -1;
    const qsizetype lastStart = n - m;  // last possible start
    const char16_t first = key[0];
    const char16_t last = key[m - 1];
    const size_t middleBytes = m > 2 ? size_t(m - 2) * sizeof(char16_t) : 0;
    qsizetype i = 0;
#if defined(__SSE2__)
    // Eight starts at a time: candidates have the key's first and last unit
    // in place; only those are compared in full.
    const __m128i vf = _mm_set1_epi16(short(first));
    const __m128i vl = _mm_set1_epi16(short(last));
    for (; i + 8 <= lastStart + 1; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + m - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, vf), _mm_cmpeq_epi16(b, vl))));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            const qsizetype j = i + bit / 2;
            if (middleBytes == 0 || std::memcmp(s + j + 1, key + 1, middleBytes) == 0)
                return j;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (s[i] == first && s[i + m - 1] == last
            && (middleBytes == 0 || std::memcmp(s + i + 1, key + 1, middleBytes) == 0))
            return i;
    }
    return -1;
}




// The case-folded number fields as integers whose order is the
// case-insensitive order of the fields: each folded unit becomes its rank
// among the folded units in use, `bits` wide, the first unit highest. Not
// `exact` when that cannot be done: more than 256 distinct folded units, or a
// surrogate (Qt folds those in pairs).
struct NumberKeys {
    bool exact = false;
    int bits = 0;
    std::vector<std::uint8_t> rank;

    NumberKeys(const RecordTable &table, const std::uint32_t *records, size_t count)
    {
        std::vector<std::uint64_t> used(0x10000 / 64, 0);
        for (size_t i = 0; i < count; ++i) {
            for (QChar c : table.DataNums(records[i])) {
                if (c.isSurrogate())
                    return;
                const char16_t f = foldUnit(c.unicode());
                used[f / 64] |= std::uint64_t(1) << (f % 64);
            }
        }
        rank.assign(0x10000, 0);
        unsigned ranks = 0;
        for (unsigned u = 0; u < 0x10000; ++u) {
            if (used[u / 64] >> (u % 64) & 1) {
                if (ranks == 256)
                    return;
                rank[u] = std::uint8_t(ranks++);
            }
        }
        bits = 1;
        while ((1u << bits) < ranks)
            ++bits;
        exact = true;
    }

    std::uint64_t key(const RecordTable &table, std::uint32_t record) const
    {
        std::uint64_t k = 0;
        for (QChar c : table.DataNums(record))
            k = k << bits | rank[foldUnit(c.unicode())];
        return k;
    }
};

// An entry to sort: a record with its number key. Narrow: the key in the
// upper 32 bits, the record in the lower; wide: both in full.
struct WideEntry {
    std::uint64_t key;
    std::uint32_t record;
};
inline std::uint64_t keyOf(const WideEntry &e) { return e.key; }
inline std::uint32_t recordOf(const WideEntry &e) { return e.record; }
inline std::uint64_t keyOf(std::uint64_t e) { return e >> 32; }
inline std::uint32_t recordOf(std::uint64_t e) { return std::uint32_t(e); }
inline void makeEntry(WideEntry &e, std::uint64_t key, std::uint32_t record) { e = {key, record}; }
inline void makeEntry(std::uint64_t &e, std::uint64_t key, std::uint32_t record) { e = key << 32 | record; }

// QStringView::compare(a, b, Qt::CaseInsensitive), decided at the first
// differing unit when that is plain: no surrogate, different folds.
int compareFolded(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    qsizetype i = 0;
    while (i < n && pa[i] == pb[i])
        ++i;
    if (i == n)
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    if (!QChar::isSurrogate(pa[i]) && !QChar::isSurrogate(pb[i])) {
        const char16_t fa = foldUnit(pa[i]);
        const char16_t fb = foldUnit(pb[i]);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return a.compare(b, Qt::CaseInsensitive);
}

// Order of two records whose number fields are equal when folded. Both
// result lines have a TAB after their 8-character number, so the rest of the
// lines folded is the text fields folded; exact order on the whole lines is
// that of the joined lines (number and text, no TAB). Then table order.
bool tieLess(const RecordTable &table, std::uint32_t a, std::uint32_t b)
{
    const QStringView la = table.joinedLine(a);
    const QStringView lb = table.joinedLine(b);
    if (la.size() == lb.size() && std::memcmp(la.utf16(), lb.utf16(), size_t(la.size()) * sizeof(char16_t)) == 0)
        return a < b;
    if (const int c = compareFolded(la.sliced(NumberLength), lb.sliced(NumberLength)))
        return c < 0;
    if (const int c = la.compare(lb, Qt::CaseSensitive))
        return c < 0;
    return a < b;
}

// Sorts v[0, n) by merging its ascending runs pairwise, through buffer
// (n entries): a table is mostly made of files that are already in order, so
// this takes few passes. Returns where the sorted entries are: v or buffer.
template <typename E, typename Less>
E *sortByRuns(E *v, E *buffer, size_t n, Less less)
{
    std::vector<size_t> bounds{0};
    for (size_t i = 1; i < n; ++i)
        if (less(v[i], v[i - 1]))
            bounds.push_back(i);
    bounds.push_back(n);
    std::vector<size_t> merged;
    while (bounds.size() > 2) {
        const size_t runs = bounds.size() - 1;
        merged.assign(1, 0);
        for (size_t r = 0; r < runs; r += 2) {
            const size_t b = bounds[r], m = bounds[r + 1];
            const size_t e = r + 1 < runs ? bounds[r + 2] : m;
            std::merge(v + b, v + m, v + m, v + e, buffer + b, less);
            merged.push_back(e);
        }
        std::swap(v, buffer);
        bounds.swap(merged);
    }
    return v;
}

// Puts records[0, count) (table order on entry) into list order, using
// scratch for 2 * count entries.
template <typename E>
void sortRecords(const RecordTable &table, const NumberKeys &keys, std::uint32_t *records, size_t count, E *scratch)
{
    for (size_t i = 0; i < count; ++i)
        makeEntry(scratch[i], keys.exact ? keys.key(table, records[i]) : 0, records[i]);
    const E *sorted = sortByRuns(scratch, scratch + count, count, [&](const E &a, const E &b) {
        if (keys.exact) {
            if (keyOf(a) != keyOf(b))
                return keyOf(a) < keyOf(b);
        } else if (const int c = table.DataNums(recordOf(a)).compare(table.DataNums(recordOf(b)), Qt::CaseInsensitive)) {
            return c < 0;
        }
        return tieLess(table, recordOf(a), recordOf(b));
    });
    for (size_t i = 0; i < count; ++i)
        records[i] = recordOf(sorted[i]);
}

} // namespace

QString finishedText(qsizetype hitCount)
{
    return QStringLiteral("検索終了 ") + u' ' + QString::number(hitCount) + u'件';
}

QString resultLine(const RecordTable &table, qsizetype record)
{
    const QStringView number = table.DataNums(record);
    const QStringView text = table.DataTexts(record);
    QString line;
    line.reserve(number.size() + 1 + text.size());
    line.append(number);
    line.append(u'\t');
    line.append(text);
    return line;
}

void SearchIndex::Release::operator()(std::byte *p) const noexcept
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (mapped) {
        munmap(p, mapped);
        return;
    }
#endif
    delete[] p;
}

SearchIndex::Memory SearchIndex::allocate(std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Huge pages want 2 MiB alignment: map a little more and trim. Worth it
    // from half a huge page on.
    constexpr std::size_t Huge = std::size_t(2) << 20;
    if (bytes >= Huge / 2) {
        const std::size_t keep = (bytes + Huge - 1) & ~(Huge - 1);
        void *map = mmap(nullptr, keep + Huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map != MAP_FAILED) {
            auto *raw = static_cast<std::byte *>(map);
            auto *begin = reinterpret_cast<std::byte *>((reinterpret_cast<std::uintptr_t>(raw) + Huge - 1) & ~(Huge - 1));
            if (begin > raw)
                munmap(raw, std::size_t(begin - raw));
            if (std::byte *tail = begin + keep; tail < raw + keep + Huge)
                munmap(tail, std::size_t(raw + keep + Huge - tail));
            madvise(begin, keep, MADV_HUGEPAGE);
            return Memory(begin, Release{keep});
        }
    }
#endif
    return Memory(new std::byte[bytes], Release{0});
}

void SearchIndex::clear()
{
    m_table = nullptr;
    m_memory.reset();
    m_bytes = 0;
    m_count = 0;
    m_order = nullptr;
    m_starts = nullptr;
    m_text = nullptr;
}

void SearchIndex::rebuild(const RecordTable &table)
{
    clear();
    m_table = &table;
    const qsizetype records = table.DataCount();

    // The records that can be found (non-empty entries), as far as the
    // buffer's 32-bit offsets reach.
    size_t count = 0;
    qsizetype characters = 0;
    for (qsizetype i = 1; i <= records; ++i) {
        const qsizetype size = table.DataTexts(i).size();
        if (size == 0)
            continue;
        if (characters + size + 1 > qsizetype(std::numeric_limits<std::uint32_t>::max()))
            break;
        characters += size + 1;
        ++count;
    }
    if (count == 0)
        return;

    m_bytes = count * sizeof(std::uint32_t) + (count + 1) * sizeof(std::uint32_t) + size_t(characters) * sizeof(char16_t);
    m_memory = allocate(m_bytes);
    auto *order = reinterpret_cast<std::uint32_t *>(m_memory.get());
    auto *starts = order + count;
    auto *text = reinterpret_cast<char16_t *>(starts + count + 1);
    size_t p = 0;
    for (qsizetype i = 1; p < count; ++i)
        if (!table.DataTexts(i).isEmpty())
            order[p++] = std::uint32_t(i);

    const NumberKeys keys(table, order, count);
    if (keys.exact && keys.bits * NumberLength <= 32) {
        const Memory scratch = allocate(2 * count * sizeof(std::uint64_t));
        sortRecords(table, keys, order, count, reinterpret_cast<std::uint64_t *>(scratch.get()));
    } else {
        const Memory scratch = allocate(2 * count * sizeof(WideEntry));
        sortRecords(table, keys, order, count, reinterpret_cast<WideEntry *>(scratch.get()));
    }

    std::uint32_t at = 0;
    for (p = 0; p < count; ++p) {
        const QStringView t = table.DataTexts(order[p]);
        starts[p] = at;
        std::memcpy(text + at, t.utf16(), size_t(t.size()) * sizeof(char16_t));
        at += std::uint32_t(t.size());
        text[at++] = Separator;
    }
    starts[count] = at;

    m_count = count;
    m_order = order;
    m_starts = starts;
    m_text = text;
}

SearchOutcome SearchIndex::search(QStringView key, const Progress &progress) const
{
    SearchOutcome outcome;
    if (isBlankKey(key)) {
        outcome.blankKey = true;
        outcome.status = finishedText(0);
        return outcome;
    }
    scan(key, outcome.hits, progress);
    outcome.status = finishedText(qsizetype(outcome.hits.size()));
    return outcome;
}

void SearchIndex::scan(QStringView key, HitList &hits, const Progress &progress) const
{
    const qsizetype m = key.size();
    const size_t entries = m_count;
    if (m == 0 || key.front() == u' ' || key.back() == u' ' || entries == 0)
        return;
    hits.reserve(hits.size() + entries);
    const char16_t *k = key.utf16();
    const char16_t *text = m_text;

    if (key.contains(QChar(Separator))) {
        // The separator would let a match run across texts: one text at a time.
        for (size_t p = 0; p < entries; ++p) {
            const qsizetype b = m_starts[p];
            if (findKey(text + b, m_starts[p + 1] - 1 - b, k, m) >= 0)
                hits.push_back(m_order[p]);
            if (progress && (p + 1) % 16384 == 0)
                progress(hits);
        }
        return;
    }

    const qsizetype end = m_starts[entries];
    qsizetype pos = 0;  // where the scan goes on
    size_t p = 0;       // the entry whose text holds pos
    while (pos < end) {
        const qsizetype chunkEnd = std::min(end, pos + ProgressStep);
        while (pos < chunkEnd) {
            // Matches that start before chunkEnd.
            const qsizetype stop = std::min(end, chunkEnd + m - 1);
            const qsizetype found = findKey(text + pos, stop - pos, k, m);
            if (found < 0) {
                pos = chunkEnd;
                break;
            }
            const qsizetype at = pos + found;
            // The entry holding at: gallop forward from p, then bisect.
            size_t low = p, high = p + 1, step = 1;
            while (high < entries && m_starts[high] <= at) {
                low = high;
                step *= 2;
                high = low + step;
            }
            high = std::min(high, entries);
            p = size_t(std::upper_bound(m_starts + low + 1, m_starts + high, std::uint32_t(at)) - m_starts) - 1;
            hits.push_back(m_order[p]);
            pos = m_starts[++p];
        }
        if (progress && pos < end)
            progress(hits);
    }
}

qsizetype SearchIndex::memoryBytes() const
{
    return qsizetype(m_bytes);
}

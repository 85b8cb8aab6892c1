// The search side by side on the full Japan set and on that set ten times:
//   engine  - SearchIndex::search, hits in list order
//   sliding - the step-by-step sliding comparison (every record, every start,
//             one window, trimmed, compared), then the hit lines sorted as the
//             list orders them; full set only
//   floor   - one plain memmem pass over the bytes of the same texts, counting
//             matches: what no search over this text can beat
// and the index rebuild for both sizes.

#include "data/datafile.h"
#include "search/searchengine.h"

#include <QDir>

#include "tests/search/slidingsearch.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct DataSet {
    RecordTable table;
    SearchIndex index;
    QByteArray texts;  // every text followed by NUL, as UTF-16 bytes
};

// The Japan files, each listed `times` times (the whole list repeated).
DataSet &dataSet(int times)
{
    static std::map<int, std::unique_ptr<DataSet>> sets;
    std::unique_ptr<DataSet> &set = sets[times];
    if (set)
        return *set;
    set = std::make_unique<DataSet>();
    const QDir dir(QStringLiteral(PELLARIN_SAMPLES_DIR));
    const QStringList names = dir.entryList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name);
    QStringList files{QString()};
    for (int t = 0; t < times; ++t)
        for (const QString &n : names)
            files << dir.filePath(n);
    FileReload(set->table, files, files.size() - 1);
    set->index.rebuild(set->table);
    QString all;
    for (qsizetype i = 1; i <= set->table.DataCount(); ++i) {
        if (set->table.DataTexts(i).isEmpty())
            continue;
        all += set->table.DataTexts(i);
        all += QChar(u'\0');
    }
    set->texts = QByteArray(reinterpret_cast<const char *>(all.utf16()), all.size() * 2);
    return *set;
}

// The sliding comparison as written, then the lines in list order.
QStringList slidingLines(const RecordTable &table, QStringView P)
{
    QStringList lines;
    for (std::uint32_t i : slidingSearch(table, P))
        lines << resultLine(table, i);
    std::stable_sort(lines.begin(), lines.end(), [](const QString &a, const QString &b) {
        if (const int c = a.compare(b, Qt::CaseInsensitive))
            return c < 0;
        return a.compare(b, Qt::CaseSensitive) < 0;
    });
    return lines;
}

std::size_t memmemCount(const QByteArray &text, QStringView key)
{
    const char *p = text.constData();
    const char *end = p + text.size();
    const std::size_t k = std::size_t(key.size()) * 2;
    std::size_t n = 0;
    while (const void *r = memmem(p, std::size_t(end - p), key.utf16(), k)) {
        ++n;
        p = static_cast<const char *>(r) + k;
    }
    return n;
}

const QString Keys[] = {
    QStringLiteral("千代田"), QStringLiteral("町"), QStringLiteral("区"),
    QStringLiteral("東京都千代田区"), QStringLiteral("竜宮城"),
};

void engine(benchmark::State &state, int times, QString key)
{
    const DataSet &d = dataSet(times);
    std::size_t hits = 0;
    for (auto _ : state) {
        SearchOutcome o = d.index.search(key);
        hits = o.hits.size();
        benchmark::DoNotOptimize(o.hits.data());
    }
    state.counters["hits"] = double(hits);
    state.counters["records"] = double(d.table.DataCount());
}

void sliding(benchmark::State &state, int times, QString key)
{
    const DataSet &d = dataSet(times);
    std::size_t hits = 0;
    for (auto _ : state) {
        const QStringList lines = slidingLines(d.table, key);
        hits = std::size_t(lines.size());
        benchmark::DoNotOptimize(lines.constData());
    }
    state.counters["hits"] = double(hits);
}

void floorPass(benchmark::State &state, int times, QString key)
{
    const DataSet &d = dataSet(times);
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = memmemCount(d.texts, key);
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = double(matches);
}

void rebuild(benchmark::State &state, int times)
{
    const DataSet &d = dataSet(times);
    SearchIndex index;
    for (auto _ : state) {
        index.rebuild(d.table);
        benchmark::ClobberMemory();
    }
    state.counters["records"] = double(d.table.DataCount());
    state.counters["indexed"] = double(index.size());
    state.counters["bytes/record"] = double(index.memoryBytes()) / double(d.table.DataCount());
    state.counters["pool bytes/record"] = double(d.table.poolSize() * 2) / double(d.table.DataCount());
}

} // namespace

int main(int argc, char **argv)
{
    for (int times : {1, 10}) {
        const std::string size = times == 1 ? "japan" : "japan x10";
        for (const QString &key : Keys) {
            const std::string name = key.toStdString() + "/" + size;
            benchmark::RegisterBenchmark(("engine/" + name).c_str(), engine, times, key)->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("floor/" + name).c_str(), floorPass, times, key)->Unit(benchmark::kMicrosecond);
            if (times == 1)
                benchmark::RegisterBenchmark(("sliding/" + name).c_str(), sliding, times, key)
                    ->Unit(benchmark::kMicrosecond)
                    ->Iterations(3);
        }
        benchmark::RegisterBenchmark(("rebuild/" + size).c_str(), rebuild, times)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Reload of the bundled Japan set (47 files), and the parts it is made of:
// reading the bytes and decoding them from code page 932.

#include "data/datafile.h"
#include "data/recordtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <benchmark/benchmark.h>

namespace {

// DataFiles style: entry 0 unused, then every .qnr file in name order.
QStringList sampleFiles()
{
    const QDir dir(QStringLiteral(PELLARIN_SAMPLES_DIR));
    QStringList files{QString()};
    for (const QString &name : dir.entryList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

int64_t totalBytes(const QStringList &files)
{
    int64_t n = 0;
    for (const QString &f : files)
        if (!f.isEmpty())
            n += QFileInfo(f).size();
    return n;
}

QList<QByteArray> readAll(const QStringList &files)
{
    QList<QByteArray> contents;
    for (const QString &f : files) {
        if (f.isEmpty())
            continue;
        QFile file(f);
        if (file.open(QIODevice::ReadOnly))
            contents << file.readAll();
    }
    return contents;
}

void BM_FileReload(benchmark::State &state)
{
    const QStringList files = sampleFiles();
    RecordTable table;
    for (auto _ : state) {
        auto results = FileReload(table, files, files.size() - 1);
        benchmark::DoNotOptimize(results.data());
    }
    if (table.DataCount() != 120663)
        state.SkipWithError("the Japan set did not load completely");
    state.SetBytesProcessed(state.iterations() * totalBytes(files));
    state.counters["files"] = double(files.size() - 1);
    state.counters["records"] = double(table.DataCount());
    state.counters["pool_chars"] = double(table.poolSize());
}
BENCHMARK(BM_FileReload)->Unit(benchmark::kMillisecond);

void BM_ReadBytes(benchmark::State &state)
{
    const QStringList files = sampleFiles();
    for (auto _ : state) {
        QList<QByteArray> contents = readAll(files);
        benchmark::DoNotOptimize(contents.data());
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(files));
}
BENCHMARK(BM_ReadBytes)->Unit(benchmark::kMillisecond);

// QStringDecoder alone on bytes already in memory: the floor for the reload.
void BM_DecodeOnly(benchmark::State &state)
{
    const QList<QByteArray> contents = readAll(sampleFiles());
    int64_t bytes = 0;
    for (const QByteArray &c : contents)
        bytes += c.size();
    for (auto _ : state) {
        for (const QByteArray &c : contents) {
            QStringDecoder decoder("windows-31j");
            QString text = decoder(c);
            benchmark::DoNotOptimize(text.constData());
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);

// The Japan set with a 64 GB file of something else listed first (sparse, so
// it costs no disk): the header check must make it cost nothing.
void BM_FileReloadWithHugeStranger(benchmark::State &state)
{
    const QString huge = QDir::temp().filePath(QStringLiteral("pellarin-bench-huge.zip"));
    {
        QFile f(huge);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write("PK\x03\x04") != 4 ||
            !f.resize(qint64(64) << 30)) {
            state.SkipWithError("cannot make the sparse file");
            return;
        }
    }
    QStringList files = sampleFiles();
    files.insert(1, huge);
    RecordTable table;
    for (auto _ : state) {
        auto results = FileReload(table, files, files.size() - 1);
        benchmark::DoNotOptimize(results.data());
    }
    QFile::remove(huge);
    if (table.DataCount() != 120663)
        state.SkipWithError("the Japan set did not load completely");
    state.counters["pool_chars"] = double(table.poolSize());
}
BENCHMARK(BM_FileReloadWithHugeStranger)->Unit(benchmark::kMillisecond);

// One data file whose only record line is 100 million characters long.
void BM_ReadOneLongLine(benchmark::State &state)
{
    const QString file = QDir::temp().filePath(QStringLiteral("pellarin-bench-long.qnr"));
    constexpr qsizetype Long = 100'000'000;
    {
        QByteArray bytes("QUENTAR@V2\r\n\\S\r\nLLLLLLLL");
        bytes.reserve(bytes.size() + 2 * Long);
        for (qsizetype i = 0; i < Long; ++i)
            bytes += "\x82\xa0";
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the file");
            return;
        }
    }
    RecordTable table;
    for (auto _ : state) {
        table.clear();
        benchmark::DoNotOptimize(ReadDataFile(file, table));
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(file).size());
    QFile::remove(file);
    if (table.DataCount() != 1 || table.DataTexts(1).size() != 1 + Long)
        state.SkipWithError("the long line did not load");
}
BENCHMARK(BM_ReadOneLongLine)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

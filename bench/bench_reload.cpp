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

}  // namespace

BENCHMARK_MAIN();

// The main window on the whole of Japan: start-up until the window is shown,
// and a search from the key to the painted result list.

#include "app/appstate.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/startup.h"
#include "settings/settingsstore.h"
#include "ui/main/mainform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>

#include <ctime>
#include <fstream>
#include <unistd.h>

namespace {

// Milliseconds since this process started (from /proc).
double sinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double startSeconds = std::stod(field) / double(sysconf(_SC_CLK_TCK));
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    return (boot.tv_sec + boot.tv_nsec / 1e9 - startSeconds) * 1000.0;
}

void listJapan(const QString &config)
{
    QDir(config).mkpath(QStringLiteral("Pellarin"));
    SettingsStore store;
    const QStringList files = QDir(QStringLiteral(PELLARIN_SAMPLES_DIR)).entryList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name);
    store.write(QStringLiteral("DataFile"), QStringLiteral("MaxDataFile"), QString::number(files.size()));
    for (int i = 0; i < files.size(); ++i)
        store.write(QStringLiteral("DataFile"), QStringLiteral("File%1").arg(i + 1),
                    QDir(QStringLiteral(PELLARIN_SAMPLES_DIR)).filePath(files[i]));
}

double g_firstStartMs = 0;

void BM_StartToShown(benchmark::State &state)
{
    for (auto _ : state) {
        ProgramStart();
        QCoreApplication::processEvents();
        state.PauseTiming();
        ExitSequence(forms().mainForm.ifExists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["first_start_ms"] = g_firstStartMs;
    state.counters["records"] = double(App().table.DataCount());
}
BENCHMARK(BM_StartToShown)->Unit(benchmark::kMillisecond);

void BM_KeyToPaintedList(benchmark::State &state, const QString &key)
{
    if (!forms().mainForm.exists())
        ProgramStart();
    MainForm *w = forms().mainForm.get();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        w->Source->setText(key);
        w->Search_Key->click();
        w->repaint();
    }
    state.counters["hits"] = double(w->reportCount());
}
BENCHMARK_CAPTURE(BM_KeyToPaintedList, chiyoda, QStringLiteral("千代田"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyToPaintedList, machi, QStringLiteral("町"))->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    listJapan(config.path());

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    // The first start of the process, as a user meets it.
    ProgramStart();
    QCoreApplication::processEvents();
    g_firstStartMs = sinceProcessStart();
    ExitSequence(forms().mainForm.ifExists());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

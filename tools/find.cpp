// pellarin-find: searches data files from a shell, or dumps their record table.
//
//   pellarin-find [--] KEY FILE...   the result lines, as the main window lists them
//   pellarin-find --dump FILE...     every record in load order
//
// Output is UTF-8 with LF line ends. The search writes its final status text
// to standard error and exits 0 with hits, 1 without, 2 on a usage error.

#include "data/datafile.h"
#include "search/searchengine.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char Usage[] =
    "usage: pellarin-find [--] KEY FILE...\n"
    "       pellarin-find --dump FILE...\n"
    "Searches postal-code data files (.qnr) for records whose address contains KEY\n"
    "and prints the result lines (number, TAB, address), sorted. --dump prints\n"
    "every record of the files in load order. A KEY starting with '-' follows '--'.\n";

int usageError(const char *why)
{
    std::fprintf(stderr, "pellarin-find: %s\n%s", why, Usage);
    return 2;
}

class Out
{
public:
    ~Out() { flush(); }
    void line(QStringView a, QStringView b = {}, bool tab = false)
    {
        m_buf += a.toUtf8();
        if (tab)
            m_buf += '\t';
        m_buf += b.toUtf8();
        m_buf += '\n';
        if (m_buf.size() > (1 << 16))
            flush();
    }
    void flush()
    {
        std::fwrite(m_buf.constData(), 1, size_t(m_buf.size()), stdout);
        std::fflush(stdout);
        m_buf.clear();
    }

private:
    QByteArray m_buf;
};

// Loads the files in order; one line on standard error for each that adds nothing.
void load(RecordTable &table, const QStringList &files)
{
    QStringList list{QString()};
    list += files;
    for (const FileLoadResult &r : FileReload(table, list, files.size())) {
        if (r.records > 0)
            continue;
        const QString why = r.outcome == FileOutcome::Read ? QStringLiteral("no records") : describeOutcome(r.outcome);
        std::fprintf(stderr, "pellarin-find: %s: %s\n", qPrintable(r.fileName), qPrintable(why));
    }
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);

    if (!args.isEmpty() && (args.front() == u"--help" || args.front() == u"-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }

    RecordTable table;
    if (!args.isEmpty() && args.front() == u"--dump") {
        args.removeFirst();
        if (args.isEmpty())
            return usageError("--dump needs at least one FILE");
        load(table, args);
        Out out;
        for (qsizetype i = 1; i <= table.DataCount(); ++i)
            out.line(table.DataNums(i), table.DataTexts(i), true);
        return 0;
    }

    if (!args.isEmpty() && args.front() == u"--")
        args.removeFirst();
    else if (!args.isEmpty() && args.front().startsWith(u'-') && args.front().size() > 1)
        return usageError(qPrintable(QStringLiteral("unknown option %1 (a KEY starting with '-' follows '--')").arg(args.front())));
    if (args.size() < 2)
        return usageError("a KEY and at least one FILE are needed");

    const QString key = args.takeFirst();
    load(table, args);
    SearchIndex index;
    index.rebuild(table);
    const SearchOutcome result = index.search(key);

    Out out;
    if (result.notFound())
        out.line(NotFoundLine);
    for (std::uint32_t record : result.hits)
        out.line(table.DataNums(record), table.DataTexts(record), true);
    out.flush();
    std::fprintf(stderr, "%s\n", result.status.toUtf8().constData());
    return result.notFound() ? 1 : 0;
}

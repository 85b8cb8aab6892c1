// The data file reader on arbitrary bytes, against a line-by-line reading of
// the same bytes, and through a real file against the in-memory reading.

#include "data/datafile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>

#include <unistd.h>

namespace {

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && s.front() == u' ')
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

// The format read the slow way: lines cut from the bytes at CR LF or CR,
// each decoded on its own.
FileOutcome readByLines(QByteArrayView bytes, QStringList &joined)
{
    QList<QString> lines;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\r', from);
        if (end < 0)
            end = bytes.size();
        lines << decodeDataText(bytes.sliced(from, end - from));
        from = end + 1;
        if (from < bytes.size() && bytes[from] == '\n')
            ++from;
    }
    if (lines.isEmpty())
        return FileOutcome::NoSectionLine;
    if (lines[0] != u"QUENTAR@V2")
        return FileOutcome::WrongHeader;
    qsizetype i = 1;
    while (i < lines.size() && !trimBlanks(lines[i]).startsWith(u'\\'))
        ++i;
    if (i == lines.size())
        return FileOutcome::NoSectionLine;
    const QString section = lines[i].mid(1);
    for (++i; i < lines.size(); ++i) {
        const QStringView line = trimBlanks(lines[i]);
        if (line.size() >= 8 && line.front() != u';') {
            QString record = line.first(8).toString();
            record += section;
            record += line.sliced(8);
            joined << record;
        }
    }
    return FileOutcome::Read;
}

QStringList joinedLines(const RecordTable &t)
{
    QStringList out;
    for (qsizetype i = 1; i <= t.DataCount(); ++i)
        out << t.joinedLine(i).toString();
    return out;
}

QString scratchFile()
{
    return QDir::tempPath() + QStringLiteral("/pellarin-fuzz-datafile-") + QString::number(::getpid()) +
           QStringLiteral(".qnr");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    RecordTable table;
    const FileOutcome outcome = ReadDataBytes(bytes, table);
    QStringList want;
    if (readByLines(bytes, want) != outcome || joinedLines(table) != want)
        std::abort();

    static const QString name = scratchFile();
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
    file.close();
    RecordTable fromFile;
    if (ReadDataFile(name, fromFile) != outcome || joinedLines(fromFile) != want)
        std::abort();
    return 0;
}

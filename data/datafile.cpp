// Reading data files.
//
// A data file is Shift-JIS text (Windows code page 932):
//
//   line 1          exactly "QUENTAR@V2", untrimmed; anything else rejects the file
//   preamble        ignored, up to the section line
//   section line    the first line whose first non-blank character is "\";
//                   the section text is that line without its first character
//   body            every later line, trimmed: blank and ";" lines are ignored,
//                   any other line is a record (a later "\" line included)
//
// A record line is an 8-character number field and its own text; the stored
// joined line is number field + section text + own text.
//
// Choices made where the format is silent:
// - Decoding goes through QStringDecoder("windows-31j"). A malformed byte
//   sequence becomes U+FFFD and never takes a line end with it; no byte
//   sequence makes the reader fail. Bytes 0x1A, 0x1C and 0x7F decode to
//   U+001A, U+001C and U+007F, as in code page 932.
// - A line ends at CR LF or at a CR alone; an LF elsewhere is an ordinary
//   character; the last line needs no line end.
// - A blank is U+0020 alone: the ideographic space U+3000 is not trimmed.
// - A file that ends before its section line (empty, header only) adds nothing.
// - A record line shorter than 8 characters after trimming adds nothing and
//   is not counted.
// - No record limit, per file or in all.
// - Only regular files are read (a symbolic link to one is fine). Missing
//   files, empty paths, directories, FIFOs, sockets, devices, dangling links
//   and files whose name begins with "." are skipped without being opened, so
//   nothing ever blocks. A file that cannot be opened or read is skipped too.
// - Files are opened read-only, never written. The first 11 bytes decide
//   whether a file is a data file before any more of it is read.

#include "datafile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t SectionMarker = u'\\';
constexpr char16_t CommentMarker = u';';
constexpr char16_t Blank = u' ';
constexpr qsizetype NumberLength = 8;
constexpr const char *CodePage = "windows-31j";

// ---- Decoding -------------------------------------------------------------

// ICU's windows-31j table comes from IBM: it swaps three control codes
// (0x1A -> U+001C, 0x1C -> U+007F, 0x7F -> U+001A) and marks a malformed
// sequence with U+001A instead of U+FFFD. Code page 932 maps every byte below
// 0x80 to itself. What the converter does is probed once, so a converter
// without these quirks passes through untouched.
struct ConverterQuirks
{
    std::array<char16_t, 0x80> restore{};  // converter's unit -> the byte's own code
    QByteArray swappedBytes;               // bytes below 0x80 that do not decode to themselves
    char16_t substitute = u'\xfffd';       // the converter's mark for a malformed sequence
    int substituteByte = -1;               // the byte that decodes to `substitute` as well, or -1
};

QString rawDecode(QByteArrayView bytes, bool *malformed)
{
    QStringDecoder decoder(CodePage);
    QString text = decoder(bytes);
    // A lead byte at the very end waits for its trail byte; an LF, which is
    // never a trail byte, makes the converter give it up as malformed.
    QString tail = decoder(QByteArrayView("\n", 1));
    tail.chop(1);
    text += tail;
    *malformed = decoder.hasError();
    return text;
}

const ConverterQuirks &quirks()
{
    static const ConverterQuirks q = [] {
        ConverterQuirks r;
        for (int b = 0; b < 0x80; ++b)
            r.restore[size_t(b)] = char16_t(b);
        bool malformed = false;
        for (int b = 0; b < 0x80; ++b) {
            const char byte = char(b);
            const QString u = rawDecode(QByteArrayView(&byte, 1), &malformed);
            if (u.size() == 1 && u[0].unicode() < 0x80 && u[0].unicode() != b) {
                r.restore[u[0].unicode()] = char16_t(b);
                r.swappedBytes += byte;
            }
        }
        // 0x80 is no character of code page 932.
        const QString bad = rawDecode(QByteArrayView("\x80", 1), &malformed);
        if (bad.size() == 1)
            r.substitute = bad[0].unicode();
        if (r.substitute < 0x80) {
            // Only bytes that can never be a trail byte may be split at.
            const int b = r.restore[r.substitute];
            if (b < 0x40 || b == 0x7f)
                r.substituteByte = b;
        }
        return r;
    }();
    return q;
}

bool containsByte(QByteArrayView bytes, char b)
{
    return !bytes.isEmpty() && std::memchr(bytes.data(), b, size_t(bytes.size())) != nullptr;
}

// Decodes code page 932 bytes on their own, with no state carried over:
// malformed sequences become U+FFFD, and every byte below 0x80 its own code.
// *hadMalformed tells whether there were any.
QString decodeCp932(QByteArrayView bytes, bool *hadMalformed = nullptr)
{
    const ConverterQuirks &q = quirks();
    bool malformed = false;
    QString text = rawDecode(bytes, &malformed);
    if (hadMalformed)
        *hadMalformed = malformed;
    malformed = malformed && q.substitute != u'\xfffd';

    if (malformed && q.substituteByte >= 0 && containsByte(bytes, char(q.substituteByte))) {
        // The mark is ambiguous here: decode the stretches between those bytes
        // (never trail bytes, so nothing is cut in two) one by one.
        QString joined;
        joined.reserve(text.size());
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = bytes.indexOf(char(q.substituteByte), from);
            joined += decodeCp932(bytes.sliced(from, (at < 0 ? bytes.size() : at) - from));
            if (at < 0)
                return joined;
            joined += QChar(char16_t(q.substituteByte));
            from = at + 1;
        }
    }

    const bool swapped = std::any_of(q.swappedBytes.cbegin(), q.swappedBytes.cend(),
                                     [&](char b) { return containsByte(bytes, b); });
    if (!malformed && !swapped)
        return text;
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (malformed && u == q.substitute)
            c = QChar(u'\xfffd');
        else if (u < 0x80)
            c = QChar(q.restore[u]);
    }
    return text;
}

// ---- Lines ----------------------------------------------------------------

// Calls take(line) for each line of `all` until it returns false. A line ends
// at CR LF or at a CR alone; a missing last line end is fine.
template <typename View, typename Char, typename Take>
void forEachLine(View all, Char cr, Char lf, Take &&take)
{
    const qsizetype n = all.size();
    qsizetype from = 0;
    while (from < n) {
        qsizetype end = all.indexOf(cr, from);
        if (end < 0)
            end = n;
        if (!take(all.sliced(from, end - from)))
            return;
        from = end + 1;
        if (from < n && all[from] == lf)
            ++from;
    }
}

QStringView trimmed(QStringView line)
{
    qsizetype b = 0, e = line.size();
    while (b < e && line[b] == Blank)
        ++b;
    while (e > b && line[e - 1] == Blank)
        --e;
    return line.sliced(b, e - b);
}

// Follows one file line by line: header, preamble, section line, body. The
// header line has been checked on the bytes already.
class SectionReader
{
public:
    explicit SectionReader(RecordTable &table) : m_table(table) {}

    // Takes the next line; always goes on to the end of the file.
    bool take(QStringView line)
    {
        switch (m_stage) {
        case Stage::Header:
            m_stage = Stage::Preamble;
            break;
        case Stage::Preamble:
            if (trimmed(line).startsWith(SectionMarker)) {
                // Without its first character only: blanks before the
                // backslash leave the backslash in the section text.
                m_section = line.sliced(1).toString();
                m_stage = Stage::Body;
            }
            break;
        case Stage::Body:
            takeRecord(trimmed(line));
            break;
        }
        return true;
    }

    FileOutcome outcome() const { return m_stage == Stage::Body ? FileOutcome::Read : FileOutcome::NoSectionLine; }

private:
    enum class Stage { Header, Preamble, Body };

    void takeRecord(QStringView line)
    {
        if (line.size() < NumberLength || line.front() == CommentMarker)
            return;  // blank, comment, or too short for a number field
        m_table.appendJoined(line.first(NumberLength), m_section, line.sliced(NumberLength));
    }

    RecordTable &m_table;
    Stage m_stage = Stage::Header;
    QString m_section;
};

// A data file worth opening: a regular file (or a link to one) whose own name
// does not begin with ".". Nothing else is opened, so a FIFO cannot block.
bool isUsableFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const QFileInfo info(fileName);
    return !info.fileName().startsWith(u'.') && info.isFile();
}

// The header line and the CR that ends it: enough bytes to tell a data file.
constexpr qsizetype HeaderBytes = 11;

// What the first bytes of a file settle on their own: a wrong header, or a
// file too short to reach a section line. Empty when the header is right.
std::optional<FileOutcome> headerOutcome(QByteArrayView head)
{
    const QByteArrayView header("QUENTAR@V2");
    if (head.isEmpty())
        return FileOutcome::NoSectionLine;
    // Code page 932 maps only ASCII bytes to ASCII characters, so the header
    // line is these very bytes, ended by a CR or by the end of the file.
    if (!head.startsWith(header) || (head.size() > header.size() && head[header.size()] != '\r'))
        return FileOutcome::WrongHeader;
    if (head.size() == header.size())
        return FileOutcome::NoSectionLine;
    return std::nullopt;
}

// A listed file opened for reading with its first bytes read and checked.
// outcome is Read when the file starts like a data file.
struct OpenedFile
{
    explicit OpenedFile(const QString &fileName)
    {
        if (!isUsableFile(fileName)) {
            outcome = FileOutcome::NotRegular;
            return;
        }
        // Opened without blocking and checked again on the open file, so a
        // file swapped for a FIFO after the test above cannot block either.
        const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            outcome = FileOutcome::CannotRead;
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            outcome = FileOutcome::NotRegular;
            return;
        }
        if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            outcome = FileOutcome::CannotRead;
            return;
        }
        size = qsizetype(st.st_size);
        head = file.read(HeaderBytes);
        if (file.error() != QFileDevice::NoError)
            outcome = FileOutcome::CannotRead;
        else if (const auto early = headerOutcome(head))
            outcome = *early;
        else
            outcome = FileOutcome::Read;
    }

    QFile file;
    QByteArray head;
    qsizetype size = 0;
    FileOutcome outcome = FileOutcome::CannotRead;
};

}  // namespace

QString describeOutcome(FileOutcome outcome)
{
    switch (outcome) {
    case FileOutcome::Read:
        return QStringLiteral("read");
    case FileOutcome::NotRegular:
        return QStringLiteral("not a regular file");
    case FileOutcome::CannotRead:
        return QStringLiteral("cannot read");
    case FileOutcome::WrongHeader:
        return QStringLiteral("wrong header");
    case FileOutcome::NoSectionLine:
        return QStringLiteral("no section line");
    }
    return QString();
}

QString decodeDataText(QByteArrayView bytes)
{
    return decodeCp932(bytes);
}

FileOutcome ReadDataBytes(QByteArrayView bytes, RecordTable &LoadLines)
{
    if (const auto early = headerOutcome(bytes.first(std::min(bytes.size(), HeaderBytes))))
        return *early;

    SectionReader reader(LoadLines);

    // Decoding the whole file at once is the fast road. Byte 0x0D is never a
    // trail byte, so the decoded text has as many CRs as the bytes unless the
    // converter let a malformed sequence swallow one; then each line is cut
    // from the bytes and decoded on its own.
    bool malformed = false;
    const QString text = decodeCp932(bytes, &malformed);
    if (!malformed || text.count(u'\r') == bytes.count('\r')) {
        forEachLine(QStringView(text), QChar(u'\r'), QChar(u'\n'),
                    [&](QStringView line) { return reader.take(line); });
    } else {
        forEachLine(bytes, '\r', '\n', [&](QByteArrayView line) {
            return reader.take(decodeCp932(line));
        });
    }
    return reader.outcome();
}

FileOutcome ReadDataFile(const QString &FileName, RecordTable &LoadLines)
{
    OpenedFile file(FileName);
    if (file.outcome != FileOutcome::Read)
        return file.outcome;
    // From the start again: one read straight into the buffer.
    const QByteArray bytes = file.file.seek(0) ? file.file.readAll() : QByteArray();
    if (file.file.error() != QFileDevice::NoError || !bytes.startsWith(file.head))
        return FileOutcome::CannotRead;
    return ReadDataBytes(bytes, LoadLines);
}

std::vector<FileLoadResult> FileReload(RecordTable &table, const QStringList &DataFiles, qsizetype DataFileCount)
{
    const auto entry = [&](qsizetype f) { return f < DataFiles.size() ? DataFiles.at(f) : QString(); };

    table.clear();
    // Room for the usual case: a file decodes to fewer characters than it has
    // bytes, which leaves room for the section text repeated in every joined
    // line, and a record line takes some 25 bytes. The table grows past this
    // when it must.
    // Only files that start like a data file count: a huge file of anything
    // else costs neither memory nor time.
    qsizetype bytes = 0;
    for (qsizetype f = 1; f <= DataFileCount; ++f) {
        const OpenedFile file(entry(f));
        if (file.outcome == FileOutcome::Read)
            bytes += file.size;
    }
    table.reserve(bytes / 24 + 1, bytes);

    std::vector<FileLoadResult> results;
    results.reserve(size_t(std::clamp<qsizetype>(DataFileCount, 0, DataFiles.size())));
    for (qsizetype f = 1; f <= DataFileCount; ++f) {
        const QString name = entry(f);
        const qsizetype before = table.DataCount();
        const FileOutcome outcome = ReadDataFile(name, table);
        results.push_back({name, outcome, table.DataCount() - before});
    }
    return results;
}

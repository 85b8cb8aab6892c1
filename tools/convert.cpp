// pellarin-convert: turns Japan Post's postal-code CSV into data files, one
// per prefecture.
//
//   pellarin-convert [--keep-notes] --out DIR CSV...
//
// Input, recognised by its content: the classic form (KEN_ALL.CSV or one
// prefecture's file; Shift-JIS, half-width kana, long town names split over
// rows) or the UTF-8 form (utf_ken_all.csv; optional BOM). Bytes that are
// valid UTF-8 and not all ASCII are read as UTF-8, else as code page 932;
// neither is an error. One row a line (LF or CR LF), 15 columns, text in
// double quotes ("" inside quotes is one quote). Columns used:
//   1  local government code, 5 digits; its first two name the prefecture's
//      file (13 -> 13.qnr)
//   3  postal code, 7 ASCII digits, written "NNN-NNNN"
//   7  prefecture, 8 city, 9 town
//
// Records:
// - Consecutive rows of one postal code and city, the first of which opens a
//   "（" in its town, are one record up to the row that closes it; their
//   towns are concatenated. When the code or city changes, or the input
//   ends, before the close, the rows joined so far are one record (with a
//   warning) and the open note runs to the end of the town.
// - Town "以下に掲載がない場合", a town ending in "の次に番地がくる場合" and a
//   town ending in "一円" (other than "一円" itself, a place name) become
//   empty: the record is the city alone.
// - Then everything from "（" to its matching "）" is removed, unless
//   --keep-notes is given.
// - A record is "NNN-NNNN" + city + town. Records stay in input order; one
//   that repeats the number and text of an earlier record of its prefecture
//   is dropped. Several inputs add up: a prefecture found in two of them
//   gets the records of both, in the order given.
// - The JIS X 0208 mapping's U+301C U+2016 U+2212 U+00A2 U+00A3 U+00AC
//   U+2014 are written as their code page 932 counterparts; any other
//   character outside code page 932 is an error.
// - Blank lines are skipped; a control character is an error.
//
// Output: DIR/NN.qnr for each prefecture in the input (DIR is created with
// its parents; other files in it are left alone): "QUENTAR@V2",
// ";source: " + the input file names, "\" + prefecture, then the records;
// code page 932, CR LF. Nothing is written unless every input converts; each
// file is written under a temporary name and renamed into place.
//
// Exit status: 0 done (a summary line on standard error); 1 an input cannot
// be read or converted (the message names the file, the line and the reason)
// or an output cannot be written; 2 a usage error.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

const char Usage[] =
    "usage: pellarin-convert [--keep-notes] --out DIR CSV...\n"
    "Converts Japan Post's postal-code CSV (KEN_ALL.CSV, a prefecture's file, or\n"
    "utf_ken_all.csv; the encoding is recognised) into data files DIR/NN.qnr, one\n"
    "per prefecture, named by its two-digit code. Each record is \"NNN-NNNN\" +\n"
    "city + town, in input order:\n"
    "  - a town split over rows (an unclosed \"（\") is joined into one record;\n"
    "  - towns \"以下に掲載がない場合\", \"...の次に番地がくる場合\" and \"...一円\"\n"
    "    give the city alone (\"一円\" itself is a place name and stays);\n"
    "  - notes in \"（\" \"）\" are removed, unless --keep-notes is given;\n"
    "  - a record repeating an earlier number and text is dropped.\n"
    "Several inputs add up. Nothing is written unless all of them convert.\n"
    "Exit status: 0 done, 1 bad input or write failure, 2 usage error.\n";

constexpr qsizetype ColumnCount = 15;
constexpr QStringView WholeCity = u"以下に掲載がない場合";
constexpr QStringView NumberFollows = u"の次に番地がくる場合";
constexpr QStringView WholeArea = u"一円";
constexpr char16_t OpenParen = u'（';
constexpr char16_t CloseParen = u'）';
const char CodePage[] = "windows-31j";

void say(const QString &message)
{
    std::fprintf(stderr, "pellarin-convert: %s\n", message.toUtf8().constData());
}

int usageError(const QString &why)
{
    say(why);
    std::fputs(Usage, stderr);
    return 2;
}

// Where a message points: a file, and a line of it (0: the file as a whole).
QString place(const QString &file, qsizetype line)
{
    return line > 0 ? file + u':' + QString::number(line) : file;
}

struct Failure
{
    QString file;
    qsizetype line;
    QString what;
};

QString hexCode(char32_t c)
{
    return QStringLiteral("U+") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

QString counted(qsizetype n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

bool isDigits(QStringView s, qsizetype length)
{
    return s.size() == length && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QStringView trimSpaces(QStringView s)
{
    while (!s.isEmpty() && s.front() == u' ')
        s = s.mid(1);
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

// ---- Decoding ---------------------------------------------------------------

// Decodes bytes on their own; false on a malformed or incomplete sequence.
bool decode(QByteArrayView bytes, bool utf8, QString *text)
{
    QStringDecoder decoder = utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder(CodePage);
    *text = decoder(bytes);
    // An LF is never part of a sequence: it flushes one left open at the end.
    QString tail = decoder(QByteArrayView("\n", 1));
    tail.chop(1);
    *text += tail;
    return !decoder.hasError();
}

// The first line (from 1) that does not decode on its own, or 0. LF is never part
// of a multi-byte sequence in either encoding, so lines decode separately.
qsizetype firstBadLine(const QByteArray &bytes, bool utf8)
{
    qsizetype line = 1;
    for (qsizetype from = 0;; ++line) {
        const qsizetype end = bytes.indexOf('\n', from);
        QString unused;
        if (!decode(QByteArrayView(bytes).sliced(from, (end < 0 ? bytes.size() : end) - from), utf8, &unused))
            return line;
        if (end < 0)
            return 0;
        from = end + 1;
    }
}

// Control bytes other than the line ends; they stand for themselves in both
// encodings (never inside a multi-byte sequence).
void checkControls(const QString &file, const QByteArray &bytes)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (b == '\n')
            ++line;
        else if (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] == '\n'))
            continue;
        else if (b < 0x20 || b == 0x7f)
            throw Failure{file, line, QStringLiteral("control character %1").arg(hexCode(b))};
    }
}

// The same JIS X 0208 characters under the mapping Shift_JIS and EUC-JP
// decoders use, put into the one code page 932 has.
void toCodePage932Mapping(QString &text)
{
    static const std::pair<char16_t, char16_t> Map[] = {
        {u'\u301c', u'\uff5e'}, {u'\u2016', u'\u2225'}, {u'\u2212', u'\uff0d'}, {u'\u00a2', u'\uffe0'},
        {u'\u00a3', u'\uffe1'}, {u'\u00ac', u'\uffe2'}, {u'\u2014', u'\u2015'},
    };
    for (QChar &c : text) {
        if (c.unicode() < 0xa2)
            continue;
        for (const auto &[from, to] : Map)
            if (c == from)
                c = to;
    }
}

// The input's lines, decoded, the line ends dropped.
QStringList decodeLines(const QString &file, const QByteArray &bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    QString text;
    if (!ascii && decode(bytes, true, &text)) {
        if (text.startsWith(u'\xfeff'))
            text.remove(0, 1);
    } else if (!decode(bytes, false, &text)) {
        const qsizetype utf8Line = firstBadLine(bytes, true);
        const qsizetype cp932Line = firstBadLine(bytes, false);
        throw Failure{file, std::max(utf8Line, cp932Line),
                      QStringLiteral("unknown encoding: neither UTF-8 (line %1) nor Shift-JIS (code page 932, line %2)")
                          .arg(utf8Line)
                          .arg(cp932Line)};
    }
    checkControls(file, bytes);
    toCodePage932Mapping(text);
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

// Whether code page 932 holds c, and gives it back unchanged.
bool encodable(char32_t c)
{
    if (c < 0x80)
        return true;
    if (c > 0xffff)
        return false;
    static std::vector<signed char> known(0x10000, -1);
    signed char &k = known[c];
    if (k < 0) {
        const QString s{QChar(char16_t(c))};
        QStringEncoder encoder(CodePage);
        const QByteArray bytes = encoder(s);
        QString back;
        k = !encoder.hasError() && decode(bytes, false, &back) && back == s;
    }
    return k;
}

// The first character of text that code page 932 lacks, or 0.
char32_t unencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!encodable(c))
            return c;
    }
    return 0;
}

// ---- Rows -------------------------------------------------------------------

// Splits one CSV line; quoted fields may hold commas and doubled quotes.
QStringList splitCsv(QStringView line, const QString &file, qsizetype lineNo)
{
    QStringList fields;
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < line.size() && line[i] == u'"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    throw Failure{file, lineNo, QStringLiteral("column %1: unterminated quote").arg(fields.size() + 1)};
                if (line[i] == u'"') {
                    if (i + 1 < line.size() && line[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != u',')
                throw Failure{file, lineNo, QStringLiteral("column %1: text after the closing quote").arg(fields.size() + 1)};
        } else {
            const qsizetype end = line.indexOf(u',', i);
            field = line.mid(i, end < 0 ? line.size() - i : end - i).toString();
            if (field.contains(u'"'))
                throw Failure{file, lineNo, QStringLiteral("column %1: stray quote").arg(fields.size() + 1)};
            i += field.size();
        }
        fields += field;
        if (i >= line.size())
            return fields;
        ++i;  // the comma
    }
}

struct Row
{
    qsizetype line;
    int prefecture;  // JIS code, 1..47
    QString number;  // "NNN-NNNN"
    QString prefectureName, city, town;
};

Row parseRow(QStringView line, const QString &file, qsizetype lineNo)
{
    const QStringList f = splitCsv(line, file, lineNo);
    if (f.size() != ColumnCount)
        throw Failure{file, lineNo, QStringLiteral("expected %1 columns, found %2").arg(ColumnCount).arg(f.size())};
    auto fail = [&](int column, const QString &what) { return Failure{file, lineNo, QStringLiteral("column %1: ").arg(column) + what}; };

    Row row;
    row.line = lineNo;
    if (!isDigits(f[0], 5))
        throw fail(1, QStringLiteral("local government code \"%1\" is not 5 digits").arg(f[0]));
    row.prefecture = f[0].left(2).toInt();
    if (row.prefecture < 1 || row.prefecture > 47)
        throw fail(1, QStringLiteral("no prefecture has the code %1").arg(f[0].left(2)));
    if (!isDigits(f[2], 7))
        throw fail(3, QStringLiteral("postal code \"%1\" is not 7 ASCII digits").arg(f[2]));
    row.number = f[2].left(3) + u'-' + f[2].mid(3);
    row.prefectureName = trimSpaces(f[6]).toString();
    row.city = trimSpaces(f[7]).toString();
    row.town = trimSpaces(f[8]).toString();
    if (row.prefectureName.isEmpty())
        throw fail(7, QStringLiteral("no prefecture"));
    if (row.city.isEmpty())
        throw fail(8, QStringLiteral("no city"));
    const int columns[] = {7, 8, 9};
    const QString *texts[] = {&row.prefectureName, &row.city, &row.town};
    for (int k = 0; k < 3; ++k)
        if (const char32_t c = unencodable(*texts[k]))
            throw fail(columns[k], QStringLiteral("%1 has no Shift-JIS (code page 932) form").arg(hexCode(c)));
    return row;
}

// Opening minus closing full-width parentheses.
qsizetype openParens(QStringView s)
{
    return s.count(OpenParen) - s.count(CloseParen);
}

QString cleanTown(const QString &town, bool keepNotes)
{
    if (town == WholeCity || town.endsWith(NumberFollows) || (town.endsWith(WholeArea) && town != WholeArea))
        return {};
    if (keepNotes)
        return town;
    QString kept;
    kept.reserve(town.size());
    int depth = 0;
    for (QChar c : town) {
        if (c == OpenParen)
            ++depth;
        else if (c == CloseParen && depth > 0)
            --depth;
        else if (depth == 0)
            kept += c;
    }
    return trimSpaces(kept).toString();
}

// ---- Conversion -------------------------------------------------------------

struct Prefecture
{
    QString name;
    QString firstFile;
    qsizetype firstLine = 0;
    QStringList sources;  // names of the inputs that gave records
    QStringList records;  // "NNN-NNNN" + text, in input order
    QSet<QString> seen;
};

struct Converter
{
    bool keepNotes = false;
    std::map<int, Prefecture> prefectures;
    qsizetype joinedRows = 0;
    qsizetype duplicates = 0;

    void checkPrefecture(const Row &row, const QString &file)
    {
        Prefecture &p = prefectures[row.prefecture];
        if (p.name.isEmpty()) {
            p.name = row.prefectureName;
            p.firstFile = file;
            p.firstLine = row.line;
        } else if (p.name != row.prefectureName) {
            throw Failure{file, row.line,
                          QStringLiteral("column 7: prefecture %1 differs from %2 of code %3 at %4")
                              .arg(row.prefectureName, p.name, QString::number(row.prefecture).rightJustified(2, u'0'),
                                   place(p.firstFile, p.firstLine))};
        }
    }

    // One record from `rows` rows, the first of which is `row` with the towns of all.
    void add(const Row &row, qsizetype rows, const QString &source)
    {
        joinedRows += rows - 1;
        Prefecture &p = prefectures[row.prefecture];
        const QString record = row.number + row.city + cleanTown(row.town, keepNotes);
        if (p.seen.contains(record)) {
            ++duplicates;
            return;
        }
        p.seen.insert(record);
        p.records += record;
        if (p.sources.isEmpty() || p.sources.back() != source)
            p.sources += source;
    }

    void convert(const QString &file, const QByteArray &bytes)
    {
        const QString source = QFileInfo(file).fileName();
        const QStringList lines = decodeLines(file, bytes);
        std::optional<Row> open;  // a town waiting for its closing parenthesis
        qsizetype openRows = 0;
        auto flushOpen = [&] {
            QString warning = QStringLiteral("%1: warning: town \"%2\" has no closing \"）\"").arg(place(file, open->line), open->town);
            if (openRows > 1)
                warning += QStringLiteral("; its %1 rows are kept as one record").arg(openRows);
            say(warning);
            add(*open, openRows, source);
            open.reset();
        };

        qsizetype rows = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].isEmpty())
                continue;
            Row row = parseRow(lines[i], file, i + 1);
            checkPrefecture(row, file);
            ++rows;
            if (open) {
                if (row.number == open->number && row.city == open->city) {
                    open->town += row.town;
                    ++openRows;
                    if (openParens(open->town) <= 0) {
                        add(*open, openRows, source);
                        open.reset();
                    }
                    continue;
                }
                flushOpen();
            }
            if (openParens(row.town) > 0) {
                open = std::move(row);
                openRows = 1;
            } else {
                add(row, 1, source);
            }
        }
        if (open)
            flushOpen();
        if (rows == 0)
            throw Failure{file, 0, QStringLiteral("empty input: no rows")};
    }
};

QByteArray fileBytes(const Prefecture &p)
{
    QString text = QStringLiteral("QUENTAR@V2\r\n;source: ") + p.sources.join(QStringLiteral(", ")) + QStringLiteral("\r\n\\") + p.name +
                   QStringLiteral("\r\n");
    for (const QString &r : p.records)
        text += r + QStringLiteral("\r\n");
    QStringEncoder encoder(CodePage);
    QByteArray bytes = encoder(text);
    // Every character was checked on input.
    if (encoder.hasError())
        throw Failure{p.firstFile, p.firstLine, QStringLiteral("prefecture %1 cannot be encoded in Shift-JIS (code page 932)").arg(p.name)};
    return bytes;
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    bool keepNotes = false;
    std::optional<QString> outDir;
    QStringList inputs;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!options || !a.startsWith(u'-') || a.size() == 1) {
            inputs += a;
        } else if (a == u"--") {
            options = false;
        } else if (a == u"--help" || a == u"-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (a == u"--keep-notes") {
            keepNotes = true;
        } else if (a == u"--out" || a.startsWith(u"--out=")) {
            if (outDir)
                return usageError(QStringLiteral("--out given twice"));
            if (a == u"--out") {
                if (++i == args.size())
                    return usageError(QStringLiteral("--out needs a folder"));
                outDir = args[i];
            } else {
                outDir = a.mid(6);
            }
            if (outDir->isEmpty())
                return usageError(QStringLiteral("--out needs a folder"));
        } else {
            return usageError(QStringLiteral("unknown option %1").arg(a));
        }
    }
    if (!outDir)
        return usageError(QStringLiteral("no output folder (--out DIR)"));
    if (inputs.isEmpty())
        return usageError(QStringLiteral("no input file"));
    if (inputs.contains(QString()))
        return usageError(QStringLiteral("empty input path"));

    Converter converter;
    converter.keepNotes = keepNotes;
    std::vector<std::pair<QString, QByteArray>> files;
    qsizetype records = 0;
    try {
        for (const QString &input : inputs) {
            QFile in(input);
            if (!in.open(QIODevice::ReadOnly))
                throw Failure{input, 0, QStringLiteral("cannot read: %1").arg(in.errorString())};
            const QByteArray bytes = in.readAll();
            if (in.error() != QFileDevice::NoError)
                throw Failure{input, 0, QStringLiteral("cannot read: %1").arg(in.errorString())};
            converter.convert(input, bytes);
        }
        for (const auto &[code, p] : converter.prefectures) {
            files.emplace_back(QStringLiteral("%1.qnr").arg(code, 2, 10, QLatin1Char('0')), fileBytes(p));
            records += p.records.size();
        }
    } catch (const Failure &f) {
        say(place(f.file, f.line) + QStringLiteral(": ") + f.what);
        return 1;
    }

    // Every file goes to its temporary name first; the renames come last.
    QDir dir(*outDir);
    if (!dir.mkpath(QStringLiteral("."))) {
        say(QStringLiteral("%1: cannot create the output folder").arg(*outDir));
        return 1;
    }
    std::vector<std::unique_ptr<QSaveFile>> outs;
    for (const auto &[name, data] : files) {
        auto out = std::make_unique<QSaveFile>(dir.filePath(name));
        if (!out->open(QIODevice::WriteOnly) || out->write(data) != data.size()) {
            say(QStringLiteral("%1: cannot write: %2").arg(out->fileName(), out->errorString()));
            return 1;
        }
        outs.push_back(std::move(out));
    }
    for (const auto &out : outs) {
        if (!out->commit()) {
            say(QStringLiteral("%1: cannot write: %2").arg(out->fileName(), out->errorString()));
            return 1;
        }
    }
    const QStringList summary{counted(qsizetype(files.size()), "file written", "files written"), counted(records, "record", "records"),
                              counted(converter.joinedRows, "row joined", "rows joined"),
                              counted(converter.duplicates, "duplicate dropped", "duplicates dropped")};
    std::fprintf(stderr, "%s\n", summary.join(QStringLiteral(", ")).toUtf8().constData());
    return 0;
}

// pellarin-convert: turns Japan Post's postal-code CSV (KEN_ALL.CSV) into data
// files, one per prefecture.
//
//   pellarin-convert [--utf8] KEN_ALL.CSV OUTDIR
//
// Input: one row a line (LF or CR LF), 15 comma-separated columns, text
// columns in double quotes ("" inside quotes is one quote). The columns used:
//   1  local government code, 5 digits; its first two digits are the
//      prefecture's JIS code and name the output file (13 -> 13.qnr)
//   3  postal code, 7 digits, written "NNN-NNNN"
//   7  prefecture, 8 city, 9 town area
// The other columns (old code, kana, flags) are only counted.
//
// Rules:
// - A record is the number field followed by city + town.
// - Town "以下に掲載がない場合" gives the city alone.
// - Town "Xの次に番地がくる場合" gives the city alone when the city ends
//   with X, else city + X: the note goes, the place name stays.
// - A town area with an unclosed "（" continues on the following rows of the
//   same postal code and city; their town columns are joined into one record.
// - Everything else is kept as it stands: parenthesised notes such as
//   "（次のビルを除く）" or "（１～１９丁目）", and entries such as "一円".
// - ASCII spaces around the city and town columns are dropped.
// - A record that repeats the number and text of an earlier one of its
//   prefecture is dropped.
// - Records are sorted by number, rows of one number in input order.
// - Text in the JIS X 0208 mapping that code page 932 spells differently
//   (U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC, U+2014) is written as
//   its code page 932 counterpart; any other character outside code page 932
//   fails the conversion.
// - Blank lines are skipped; a control character anywhere fails.
//
// Output files: "QUENTAR@V2", ";<prefecture> postal codes", "\<prefecture>",
// then the records; Shift-JIS (windows-31j), CR LF. Nothing is written unless
// the whole input converts; each file is then replaced atomically. Files of
// prefectures missing from the input are left alone.
//
// Exit status: 0 on success (a summary line on standard error), 1 when the
// input cannot be read or converted or an output cannot be written, 2 on a
// usage error.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace {

const char Usage[] =
    "usage: pellarin-convert [--utf8] KEN_ALL.CSV OUTDIR\n"
    "Converts Japan Post's postal-code CSV (KEN_ALL.CSV, Shift-JIS; UTF-8 with\n"
    "--utf8) into data files OUTDIR/01.qnr .. 47.qnr, one per prefecture.\n"
    "Each record is \"NNN-NNNN\" + city + town, sorted by number:\n"
    "  - town \"以下に掲載がない場合\" gives the city alone;\n"
    "  - town \"Xの次に番地がくる場合\" gives the city alone (city + X when the\n"
    "    city does not end with X);\n"
    "  - a town area split over rows (an unclosed \"（\") is joined into one record;\n"
    "  - parenthesised notes and entries such as \"一円\" are kept as they stand;\n"
    "  - a record repeating an earlier number and text is dropped.\n"
    "Characters outside code page 932 fail the conversion (the JIS mapping's\n"
    "〜 ‖ − ¢ £ ¬ — are written in their code page 932 form). Nothing is written\n"
    "unless the whole input converts; each file is replaced atomically.\n"
    "Exit status: 0 done, 1 bad input or write failure, 2 usage error.\n";

constexpr qsizetype ColumnCount = 15;
constexpr QStringView WholeCity = u"以下に掲載がない場合";
constexpr QStringView NumberFollows = u"の次に番地がくる場合";
constexpr char16_t OpenParen = u'（';
constexpr char16_t CloseParen = u'）';

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

// A conversion failure; line 0 means the input as a whole.
struct Failure
{
    qsizetype line;
    QString what;
};

struct Row
{
    qsizetype line;
    int prefecture;  // JIS code, 1..47
    QString code;    // column 1
    QString number;  // "NNN-NNNN"
    QString prefectureName, city, town;
};

struct Record
{
    QString number, text;
    qsizetype line;  // the row it came from
};

struct Prefecture
{
    QString name;
    qsizetype firstLine = 0;
    std::vector<Record> records;
    QSet<QString> seen;  // number + text
};

QString hexCode(char32_t c)
{
    return QStringLiteral("U+") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
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
    QStringDecoder decoder = utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("windows-31j");
    *text = decoder(bytes);
    // An LF is never part of a sequence: it flushes one left open at the end.
    QString tail = decoder(QByteArrayView("\n", 1));
    tail.chop(1);
    *text += tail;
    return !decoder.hasError();
}

bool looksLikeUtf8(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return false;
    QString unused;
    return decode(bytes, true, &unused);
}

// The input's lines, decoded; a line that does not decode is a failure.
QStringList decodeLines(const QByteArray &bytes, bool utf8)
{
    if (!utf8 && looksLikeUtf8(bytes))
        throw Failure{0, QStringLiteral("the input is UTF-8, not Shift-JIS (use --utf8)")};
    QString text;
    if (!decode(bytes, utf8, &text)) {
        const QList<QByteArray> raw = bytes.split('\n');
        for (qsizetype i = 0; i < raw.size(); ++i) {
            QString unused;
            if (!decode(raw[i], utf8, &unused))
                throw Failure{i + 1, utf8 ? QStringLiteral("not valid UTF-8") : QStringLiteral("not valid Shift-JIS (code page 932)")};
        }
        throw Failure{0, QStringLiteral("cannot be decoded")};
    }
    if (text.startsWith(u'\xfeff'))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    if (lines.back().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

// The same JIS X 0208 characters under the mapping Shift_JIS and EUC-JP
// decoders use, put into the one code page 932 has.
void toCodePage932Mapping(QString &line)
{
    static const std::pair<char16_t, char16_t> Map[] = {
        {u'\u301c', u'\uff5e'}, {u'\u2016', u'\u2225'}, {u'\u2212', u'\uff0d'}, {u'\u00a2', u'\uffe0'},
        {u'\u00a3', u'\uffe1'}, {u'\u00ac', u'\uffe2'}, {u'\u2014', u'\u2015'},
    };
    for (QChar &c : line)
        for (const auto &[from, to] : Map)
            if (c == from)
                c = to;
}

// ---- Rows -------------------------------------------------------------------

// Splits one CSV line; quoted fields may hold commas and doubled quotes.
QStringList splitCsv(QStringView line, qsizetype lineNo)
{
    QStringList fields;
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < line.size() && line[i] == u'"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    throw Failure{lineNo, QStringLiteral("column %1: unclosed quote").arg(fields.size() + 1)};
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
                throw Failure{lineNo, QStringLiteral("column %1: text after the closing quote").arg(fields.size() + 1)};
        } else {
            const qsizetype end = line.indexOf(u',', i);
            field = line.mid(i, end < 0 ? line.size() - i : end - i).toString();
            if (field.contains(u'"'))
                throw Failure{lineNo, QStringLiteral("column %1: stray quote").arg(fields.size() + 1)};
            i += field.size();
        }
        fields += field;
        if (i >= line.size())
            return fields;
        ++i;  // the comma
    }
}

Row parseRow(QStringView line, qsizetype lineNo)
{
    for (QChar c : line)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            throw Failure{lineNo, QStringLiteral("control character %1").arg(hexCode(c.unicode()))};
    const QStringList f = splitCsv(line, lineNo);
    if (f.size() != ColumnCount)
        throw Failure{lineNo, QStringLiteral("expected %1 columns, found %2").arg(ColumnCount).arg(f.size())};

    Row row;
    row.line = lineNo;
    row.code = f[0];
    if (!isDigits(row.code, 5))
        throw Failure{lineNo, QStringLiteral("column 1: local government code \"%1\" is not 5 digits").arg(row.code)};
    row.prefecture = row.code.left(2).toInt();
    if (row.prefecture < 1 || row.prefecture > 47)
        throw Failure{lineNo, QStringLiteral("column 1: no prefecture has the code %1").arg(row.code.left(2))};
    if (!isDigits(f[2], 7))
        throw Failure{lineNo, QStringLiteral("column 3: postal code \"%1\" is not 7 digits").arg(f[2])};
    row.number = f[2].left(3) + u'-' + f[2].mid(3);
    row.prefectureName = trimSpaces(f[6]).toString();
    row.city = trimSpaces(f[7]).toString();
    row.town = trimSpaces(f[8]).toString();
    if (row.prefectureName.isEmpty())
        throw Failure{lineNo, QStringLiteral("column 7: no prefecture")};
    if (row.city.isEmpty())
        throw Failure{lineNo, QStringLiteral("column 8: no city")};
    return row;
}

// Opening minus closing full-width parentheses.
qsizetype openParens(QStringView s)
{
    return s.count(OpenParen) - s.count(CloseParen);
}

QString recordText(const Row &row)
{
    if (row.town == WholeCity)
        return row.city;
    if (row.town.endsWith(NumberFollows)) {
        const QStringView place = QStringView(row.town).chopped(NumberFollows.size());
        return row.city.endsWith(place) ? row.city : row.city + place.toString();
    }
    return row.city + row.town;
}

// ---- Output -----------------------------------------------------------------

QString fileText(const Prefecture &p)
{
    QString text = QStringLiteral("QUENTAR@V2\r\n;") + p.name + QStringLiteral(" postal codes\r\n\\") + p.name + QStringLiteral("\r\n");
    for (const Record &r : p.records)
        text += r.number + r.text + QStringLiteral("\r\n");
    return text;
}

// The first character of text that code page 932 lacks, or 0.
char32_t unencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder encoder("windows-31j");
        const QByteArray unused = encoder(text.mid(i, n));
        if (encoder.hasError())
            return n == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
        i += n;
    }
    return 0;
}

QByteArray encodeFile(const Prefecture &p)
{
    QStringEncoder encoder("windows-31j");
    QByteArray bytes = encoder(fileText(p));
    if (!encoder.hasError())
        return bytes;
    // Find the culprit, for the message.
    if (const char32_t c = unencodable(p.name))
        throw Failure{p.firstLine, QStringLiteral("column 7: %1 has no Shift-JIS (code page 932) form").arg(hexCode(c))};
    for (const Record &r : p.records)
        if (const char32_t c = unencodable(r.text))
            throw Failure{r.line, QStringLiteral("%1 has no Shift-JIS (code page 932) form").arg(hexCode(c))};
    throw Failure{p.firstLine, QStringLiteral("cannot be encoded in Shift-JIS (code page 932)")};
}

std::map<int, Prefecture> convert(const QStringList &lines, qsizetype *rows)
{
    std::map<int, Prefecture> prefectures;
    auto add = [&](const Row &row) {
        Prefecture &p = prefectures[row.prefecture];
        if (p.name.isEmpty()) {
            p.name = row.prefectureName;
            p.firstLine = row.line;
        } else if (p.name != row.prefectureName) {
            throw Failure{row.line, QStringLiteral("column 7: prefecture %1 differs from %2 of line %3 for code %4")
                                        .arg(row.prefectureName, p.name, QString::number(p.firstLine), row.code.left(2))};
        }
        Record r{row.number, recordText(row), row.line};
        if (!p.seen.contains(r.number + r.text)) {
            p.seen.insert(r.number + r.text);
            p.records.push_back(std::move(r));
        }
    };

    std::optional<Row> open;  // a town area waiting for its closing parenthesis
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        QString line = lines[i];
        toCodePage932Mapping(line);
        Row row = parseRow(line, i + 1);
        ++*rows;
        if (open) {
            if (row.number != open->number || row.code != open->code || row.city != open->city)
                throw Failure{open->line, QStringLiteral("town area \"%1\" has no closing \"）\" (line %2 starts another area)")
                                              .arg(open->town, QString::number(row.line))};
            open->town += row.town;
        } else {
            open = std::move(row);
        }
        if (openParens(open->town) <= 0) {
            add(*open);
            open.reset();
        }
    }
    if (open)
        throw Failure{open->line, QStringLiteral("town area \"%1\" has no closing \"）\" before the end of the input").arg(open->town)};
    if (prefectures.empty())
        throw Failure{0, QStringLiteral("no rows")};

    for (auto &[code, p] : prefectures)
        std::stable_sort(p.records.begin(), p.records.end(), [](const Record &a, const Record &b) { return a.number < b.number; });
    return prefectures;
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    bool utf8 = false;
    bool options = true;
    QStringList paths;
    for (const QString &a : args) {
        if (options && (a == u"--help" || a == u"-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (options && a == u"--utf8")
            utf8 = true;
        else if (options && a == u"--")
            options = false;
        else if (options && a.startsWith(u'-') && a.size() > 1)
            return usageError(QStringLiteral("unknown option %1").arg(a));
        else
            paths += a;
    }
    if (paths.size() != 2)
        return usageError(QStringLiteral("expected an input CSV file and an output directory, got %1 argument(s)").arg(paths.size()));
    const QString &input = paths[0];
    const QString &outDir = paths[1];
    if (input.isEmpty() || outDir.isEmpty())
        return usageError(QStringLiteral("empty path"));

    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("%1: cannot read: %2").arg(input, in.errorString()));
        return 1;
    }
    const QByteArray bytes = in.readAll();
    in.close();

    std::map<int, Prefecture> prefectures;
    std::vector<std::pair<QString, QByteArray>> files;
    qsizetype rows = 0, records = 0;
    try {
        prefectures = convert(decodeLines(bytes, utf8), &rows);
        for (const auto &[code, p] : prefectures) {
            files.emplace_back(QStringLiteral("%1.qnr").arg(code, 2, 10, QLatin1Char('0')), encodeFile(p));
            records += qsizetype(p.records.size());
        }
    } catch (const Failure &f) {
        say(f.line > 0 ? QStringLiteral("%1:%2: %3").arg(input, QString::number(f.line), f.what) : QStringLiteral("%1: %2").arg(input, f.what));
        return 1;
    }

    QDir dir(outDir);
    if (!dir.mkpath(QStringLiteral("."))) {
        say(QStringLiteral("%1: cannot create the output directory").arg(outDir));
        return 1;
    }
    for (const auto &[name, data] : files) {
        QSaveFile out(dir.filePath(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
            say(QStringLiteral("%1: cannot write: %2").arg(dir.filePath(name), out.errorString()));
            return 1;
        }
    }
    say(QStringLiteral("%1 files, %2 records (%3 rows) written to %4").arg(QString::number(files.size()), QString::number(records), QString::number(rows), outDir));
    return 0;
}

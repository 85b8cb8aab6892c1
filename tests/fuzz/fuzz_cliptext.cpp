// The paste command's first-line cut and the copy commands' texts on
// arbitrary clipboard texts and result lists.

#include "search/cliptext.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The bytes as UTF-16 units, lone surrogates and all.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | data[i + 1] << 8));

    const QString cut = firstLine(text);
    check(!cut.contains(u'\r'));
    check(text.startsWith(cut));
    check(cut.size() == text.size() || text.at(cut.size()) == u'\r');

    // The same text as a result list: one line per LF, the selection given by
    // each line's first unit.
    const QStringList lines = text.split(u'\n');
    const auto line = [&](qsizetype i) { return lines.at(i); };
    const auto selected = [&](qsizetype i) { return !lines.at(i).isEmpty() && (lines.at(i).front().unicode() & 1); };

    QStringList chosen, numbers;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (selected(i)) {
            chosen << lines.at(i);
            numbers << lines.at(i).left(8);
        }
    }
    const auto ended = [](const QStringList &l) {
        QString s;
        for (const QString &x : l)
            s += x + QStringLiteral("\r\n");
        return s;
    };
    check(copyText(lines.size(), CopyTake::All, line, selected) == ended(lines));
    check(copyText(lines.size(), CopyTake::Selected, line, selected) == ended(chosen));
    check(copyText(lines.size(), CopyTake::SelectedNumbers, line, selected) == numbers.join(QStringLiteral("\r\n")));
    check(copyRefused(lines.front()) == lines.front().startsWith(u'見'));
    return 0;
}

#pragma once

// The texts the clipboard commands move, apart from any window.

#include "searchengine.h"

#include <QString>
#include <QStringView>

// The characters before the first CR; all of text when it holds none.
inline QString firstLine(const QString &text)
{
    const qsizetype cr = text.indexOf(QChar(u'\r'));
    return cr < 0 ? text : text.left(cr);
}

enum class CopyTake {
    All,              // every line, each ended by CR LF
    Selected,         // the selected lines, each ended by CR LF
    SelectedNumbers,  // the first 8 characters of the selected lines, CR LF between them
};

// A list whose first line is the not-found message is not copied at all.
inline bool copyRefused(QStringView firstListLine)
{
    return firstListLine.startsWith(NotFoundLine.front());
}

// The clipboard text of `count` list lines: line(i) gives line i and
// selected(i) whether it is selected, for i in 0..count-1.
template <typename Line, typename Selected>
QString copyText(qsizetype count, CopyTake take, Line &&line, Selected &&selected)
{
    const QStringView LineEnd = u"\r\n";
    QString out;
    for (qsizetype i = 0; i < count; ++i) {
        if (take != CopyTake::All && !selected(i))
            continue;
        const QString text = line(i);
        out += take == CopyTake::SelectedNumbers ? QStringView(text).left(8) : QStringView(text);
        out += LineEnd;
    }
    if (take == CopyTake::SelectedNumbers && !out.isEmpty())
        out.chop(LineEnd.size());
    return out;
}

#include "fonts.h"

#include <QApplication>

void installFontSubstitutions()
{
    // IPAPGothic is a proportional Gothic with the metrics of the Windows
    // face; Noto Sans CJK JP is the Japanese cut of Noto, so kanji keep their
    // Japanese forms either way.
    QFont::insertSubstitutions(GothicFace, {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(TimesFace, {QStringLiteral("Liberation Serif"), QStringLiteral("IPAPMincho")});
    QApplication::setFont(gothicFont(9));
}

namespace {
QFont font(const QString &face, double points, bool bold, bool italic)
{
    QFont f(face);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}
}

QFont gothicFont(double points, bool bold, bool italic)
{
    return font(GothicFace, points, bold, italic);
}

QFont timesFont(double points, bool bold, bool italic)
{
    return font(TimesFace, points, bold, italic);
}

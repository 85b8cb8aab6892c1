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

QFont gothicFont(double points, bool bold, bool italic)
{
    QFont f(GothicFace);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QFont timesFont(double points, bool bold, bool italic)
{
    QFont f(TimesFace);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

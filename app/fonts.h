#pragma once

#include <QFont>

// The program's fonts by the names its windows are designed with. The
// Windows faces are mapped to metric-compatible Linux fonts with Japanese
// glyph forms (installFontSubstitutions).
inline const QString GothicFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString TimesFace = QStringLiteral("Times New Roman");

void installFontSubstitutions();
QFont gothicFont(double points, bool bold = false, bool italic = false);
QFont timesFont(double points, bool bold = false, bool italic = false);

#pragma once

// Small helpers shared by the tests: data files written as CP932 bytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QStringList>

namespace fixtures {

inline QByteArray cp932(const QString &text)
{
    QStringEncoder enc("windows-31j");
    return enc.encode(text);
}

inline QString writeBytes(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write fixture %s", qPrintable(path));
    f.write(bytes);
    return path;
}

// A data file: the header, a comment, the section line, then the record lines, CR LF.
inline QString writeDataFile(const QString &dir, const QString &name, const QString &section, const QStringList &records)
{
    QString text = QStringLiteral("QUENTAR@V2\r\n;test\r\n\\") + section + QStringLiteral("\r\n");
    for (const QString &r : records)
        text += r + QStringLiteral("\r\n");
    return writeBytes(dir, name, cp932(text));
}

}

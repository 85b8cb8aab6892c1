#include "dialogseam.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

DialogSeam DialogSeam::platform()
{
    DialogSeam seam;
    seam.openFile = [](QWidget *parent, const QString &filter) {
        // The one filter entry is selected; no initial directory.
        QString selected = filter.section(QStringLiteral(";;"), 0, 0);
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter, &selected);
    };
    seam.confirm = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    };
    return seam;
}

DialogSeam &dialogSeam()
{
    static DialogSeam seam = DialogSeam::platform();
    return seam;
}

QString toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const QString &raw = parts.at(i + 1);
        const QString patterns = raw.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + raw + QLatin1Char(')');
        if (description.endsWith(shown)) {
            description.chop(shown.size());
            entries << description + QLatin1Char('(') + patterns + QLatin1Char(')');
        } else if (description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')'))) {
            entries << description;
        } else {
            entries << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        entries << parts.last();  // a description without its pattern
    return entries.join(QStringLiteral(";;"));
}

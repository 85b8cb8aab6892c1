#include "infolayout.h"

#include <QKeyEvent>

#include <QDialog>

#include <QAbstractButton>

#include "app/centerform.h"

#include "app/twips.h"

#include <QIcon>
#include <QLabel>

namespace InfoLayout {

QLabel *label(QWidget *parent, const QString &name, const QString &text, double left, double top, double width,
              double height, const QFont &font, Qt::Alignment align, const QColor &color)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(Twips::rect(left, top, width, height));
    if (font.resolveMask() != 0)
        l->setFont(font);
    l->setAlignment(align | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    if (color.isValid()) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, color);
        l->setPalette(p);
    }
    return l;
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/pellarin.png"));
}

bool escapeClicks(QKeyEvent *e, QAbstractButton *ok)
{
    if (e->key() != Qt::Key_Escape || e->modifiers() != Qt::NoModifier)
        return false;
    ok->click();
    return true;
}

void showCentredModal(QDialog *window)
{
    CenterForm(window);
    window->exec();
}

}

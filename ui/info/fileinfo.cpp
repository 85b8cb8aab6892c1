#include "fileinfo.h"

#include "infolayout.h"

#include "app/appstate.h"
#include "app/centerform.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "ui/main/menucommands.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr double ClientWidth = 3990, ClientHeight = 2070;
}

FileInfo::FileInfo()
{
    setObjectName(QStringLiteral("FileInfo"));
    setWindowTitle(QStringLiteral("ファイル状況"));
    setWindowIcon(InfoLayout::programIcon());
    // Sizable; the controls keep their places whatever the size.
    setWindowFlags(InfoLayout::DialogFlags);
    resize(Twips::toPx(ClientWidth), Twips::toPx(ClientHeight));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(120, 0, 3735, 1455));

    Ok_Key = new QPushButton(QStringLiteral("Ok(&O)"), this);
    Ok_Key->setObjectName(QStringLiteral("Ok_Key"));
    Ok_Key->setGeometry(Twips::rect(1200, 1560, 1455, 375));
    Ok_Key->setDefault(true);
    connect(Ok_Key, &QPushButton::clicked, this, &QWidget::hide);

    using InfoLayout::label;
    const QFont font = gothicFont(12);
    Label1 = label(Frame1, QStringLiteral("Label1"), QStringLiteral("データファイル数"), 240, 360, 1695, 255, font);
    Label2 = label(Frame1, QStringLiteral("Label2"), QStringLiteral("データ数"), 240, 840, 1335, 255, font);
    FileCount = label(Frame1, QStringLiteral("FileCount"), QStringLiteral("MaxFile"), 1920, 360, 975, 255, font, Qt::AlignRight);
    Label3 = label(Frame1, QStringLiteral("Label3"), QStringLiteral("件"), 3120, 840, 255, 255, font);
    MaxDataCount = label(Frame1, QStringLiteral("MaxDataCount"), QStringLiteral("MaxData"), 2040, 840, 975, 255, font,
                         Qt::AlignRight);
    Label4 = label(Frame1, QStringLiteral("Label4"), QStringLiteral("File"), 3120, 360, 375, 255, font);

    Ok_Key->setFocus();
}

namespace {
// A right-aligned count too long for its label grows to the left, so that
// no digit is cut off; its right edge stays against "File" or "件".
void setCount(QLabel *label, const QRect &layout, qsizetype count)
{
    label->setText(QString::number(count));
    const int need = label->sizeHint().width();
    QRect r = layout;
    if (need > r.width())
        r.setLeft(r.right() + 1 - need);
    label->setGeometry(r);
}
}

void FileInfo::ReVeiwInfo()
{
    setCount(FileCount, Twips::rect(1920, 360, 975, 255), App().settings.DataFileCount);
    setCount(MaxDataCount, Twips::rect(2040, 840, 975, 255), App().table.DataCount());
}

void FileInfo::showEvent(QShowEvent *e)
{
    ReVeiwInfo();
    Window<QDialog>::showEvent(e);
}

void FileInfo::keyPressEvent(QKeyEvent *e)
{
    // Ok_Key is the cancel button too: Esc clicks it.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        Ok_Key->click();
        return;
    }
    Window<QDialog>::keyPressEvent(e);
}

void showFileInfoWindow()
{
    FileInfo *w = forms().fileInfo.get();
    CenterForm(w);
    w->exec();
}

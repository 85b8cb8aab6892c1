#include "fileinfo.h"

#include "infolayout.h"

#include "app/appstate.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "ui/main/menucommands.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRectF>

namespace {
constexpr double ClientWidth = 3990, ClientHeight = 2070;
// Where the two counts stand in Frame1, in twips.
const QRectF FileCountRect(1920, 360, 975, 255);
const QRectF DataCountRect(2040, 840, 975, 255);

QRect px(const QRectF &twips)
{
    return Twips::rect(twips.x(), twips.y(), twips.width(), twips.height());
}
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
    FileCount = label(Frame1, QStringLiteral("FileCount"), QStringLiteral("MaxFile"), FileCountRect.x(), FileCountRect.y(),
                      FileCountRect.width(), FileCountRect.height(), font, Qt::AlignRight);
    Label3 = label(Frame1, QStringLiteral("Label3"), QStringLiteral("件"), 3120, 840, 255, 255, font);
    MaxDataCount = label(Frame1, QStringLiteral("MaxDataCount"), QStringLiteral("MaxData"), DataCountRect.x(), DataCountRect.y(),
                         DataCountRect.width(), DataCountRect.height(), font, Qt::AlignRight);
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
    setCount(FileCount, px(FileCountRect), App().settings.DataFileCount);
    setCount(MaxDataCount, px(DataCountRect), App().table.DataCount());
}

void FileInfo::showEvent(QShowEvent *e)
{
    ReVeiwInfo();
    Window<QDialog>::showEvent(e);
}

void FileInfo::keyPressEvent(QKeyEvent *e)
{
    // Ok_Key is the cancel button too.
    if (!InfoLayout::escapeClicks(e, Ok_Key))
        Window<QDialog>::keyPressEvent(e);
}

void showFileInfoWindow()
{
    InfoLayout::showCentredModal(forms().fileInfo.get());
}

#include "fileloadinginfo.h"

#include "infolayout.h"

#include "app/fonts.h"
#include "app/twips.h"

#include <QLabel>
#include <QPixmap>

namespace {
constexpr double ClientWidth = 4305, ClientHeight = 1305;
}

FileLoadingInfo::FileLoadingInfo()
{
    setObjectName(QStringLiteral("FileLoadingInfo"));
    setWindowTitle(QStringLiteral("Pellarin"));
    setWindowIcon(InfoLayout::programIcon());
    setWindowFlags(InfoLayout::DialogFlags);
    setFixedSize(Twips::toPx(ClientWidth), Twips::toPx(ClientHeight));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(240, 360, 480, 480));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(QStringLiteral(":/information.png")));

    using InfoLayout::label;
    const QFont font = gothicFont(11.25);
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("ファイルを読み込んでいます。"), 960, 240, 3015, 255, font);
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("しばらくお待ち下さい。"), 960, 720, 2175, 255, font);
}

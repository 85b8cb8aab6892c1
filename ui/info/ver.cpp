#include "ver.h"

#include "infolayout.h"

#include "app/appstate.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "ui/main/menucommands.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr double ClientWidth = 3885, ClientHeight = 2535;
}

Ver::Ver()
{
    setObjectName(QStringLiteral("Ver"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報  －Pellarin"));
    setWindowIcon(InfoLayout::programIcon());
    setWindowFlags(InfoLayout::DialogFlags);
    setFixedSize(Twips::toPx(ClientWidth), Twips::toPx(ClientHeight));

    Command1 = new QPushButton(QStringLiteral("Ok(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(1200, 1920, 1455, 375));
    Command1->setFont(gothicFont(9.75));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);

    using InfoLayout::label;
    const QFont heading = gothicFont(12, true);
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("Pellarin  Ver"), 240, 240, 2295, 375, heading);
    Label2 = label(this, QStringLiteral("Label2"), App().VersionText, 2520, 240, 1095, 375, heading);
    Label3 = label(this, QStringLiteral("Label3"), QStringLiteral("郵便番号検索ツール"), 360, 840, 2415, 255, gothicFont(12),
                   Qt::AlignLeft, InfoLayout::Blue);
    Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("Programmed by"), 360, 1320, 1935, 255, QFont());
    Label5 = label(this, QStringLiteral("Label5"), QStringLiteral("有志一同"), 2400, 1280, 975, 255, gothicFont(11.25));

    Command1->setFocus();
}

void Ver::showEvent(QShowEvent *e)
{
    Label2->setText(App().VersionText);
    Window<QDialog>::showEvent(e);
}

void Ver::keyPressEvent(QKeyEvent *e)
{
    // Command1 is the cancel button too.
    if (!InfoLayout::escapeClicks(e, Command1))
        Window<QDialog>::keyPressEvent(e);
}

void showVersionWindow()
{
    InfoLayout::showCentredModal(forms().ver.get());
}

#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <Qt>

class QAbstractButton;
class QDialog;
class QKeyEvent;
class QLabel;
class QWidget;

// Shared pieces of the small windows' layouts.
namespace InfoLayout {

inline const QColor Blue(0, 0, 255);      // 0x00FF0000
inline const QColor DarkBlue(0, 0, 192);  // 0x00C00000

// Title bar with the close box only: no minimise, maximise or help box.
inline constexpr Qt::WindowFlags DialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A frameless label at left, top, width, height (twips) in parent, its text
// at the top like a designer's label. An invalid colour keeps the palette's.
QLabel *label(QWidget *parent, const QString &name, const QString &text, double left, double top, double width,
              double height, const QFont &font, Qt::Alignment align = Qt::AlignLeft, const QColor &color = {});

// The program's icon, which every window of it carries.
QIcon programIcon();

// For a window whose Ok button is its cancel button too: a plain Esc clicks
// it. True when the key was taken.
bool escapeClicks(QKeyEvent *e, QAbstractButton *ok);

// Centres the window and shows it modally (the menu's way of opening it).
void showCentredModal(QDialog *window);

}

#pragma once

#include "app/window.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The version window: the product name and version and the credits.
// Ok, Enter and Esc hide it; its close box destroys it.
class Ver : public Window<QDialog>
{
    Q_OBJECT

public:
    Ver();

    QPushButton *Command1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};

// The menu's "ﾊﾞｰｼﾞｮﾝ情報(&A)": centres the version window and shows it modally.
void showVersionWindow();

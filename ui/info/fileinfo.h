#pragma once

#include "app/window.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// The file status window: how many data files are configured and how many
// records are in memory. Ok, Enter and Esc hide it; its close box destroys it.
class FileInfo : public Window<QDialog>
{
    Q_OBJECT

public:
    FileInfo();

    // Shows DataFileCount in FileCount and DataCount in MaxDataCount.
    void ReVeiwInfo();

    QGroupBox *Frame1 = nullptr;
    QPushButton *Ok_Key = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *FileCount = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *MaxDataCount = nullptr;
    QLabel *Label4 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};

// The menu's "ファイル情報(&I)": centres the file status window and shows it modally.
void showFileInfoWindow();

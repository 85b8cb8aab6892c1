#pragma once

#include "app/window.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;

// The settings dialog: the list of data files (add, delete, clear all), the
// two options as check boxes, and Ok, which applies the list and reloads the
// data. Line k of Files stands for entry k + 1 of DataFiles; every command
// that changes the list leaves entries 1..n equal to its n lines and
// DataFileCount = n.
class Init : public Window<QDialog>
{
    Q_OBJECT

public:
    Init();

    // The filter of the file-open dialog, in the designer's form.
    static const QString FileFilter;

    QGroupBox *DataFileInit = nullptr;
    QListWidget *Files = nullptr;
    QPushButton *AddFile = nullptr;
    QPushButton *DelFile = nullptr;
    QPushButton *FileAllClear = nullptr;
    QGroupBox *OtherInit = nullptr;
    QCheckBox *Inser = nullptr;
    QCheckBox *ClipSer = nullptr;
    QPushButton *OK_Key = nullptr;

    // Shows the two options as the check boxes' states (1 checked).
    void showOptions(qint16 incSer, qint16 clipSer);

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void rebuildList();
    void addFileClick();
    void delFileClick();
    void fileAllClearClick();
    void okKeyClick();
    int selectedLine() const;
    void updateDelFile();
    void syncEntries();
};

// The menu's "設定(&I)": centres the dialog, shows the options and shows it modally.
void openSettingsDialog();

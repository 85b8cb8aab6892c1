#pragma once

#include "app/window.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class ReportModel;
enum class CopyTake;

// The main window: search box, search button, result list and status label
// under the menu bar. It hosts the program's public operations.
class MainForm : public Window<QMainWindow>
{
    Q_OBJECT

public:
    MainForm();
    ~MainForm() override;

    // Searches the record table for P and shows the outcome.
    void Search(const QString &P);
    // Reads every setting into the program-wide state and places the window.
    void InitLoad();
    // Writes every setting back to the store.
    void InitWrite(qint16 WindowX, qint16 WindowY, qint16 Window2X, qint16 Window2Y, qint16 IncSerON);
    // Rebuilds the record table from the configured data files.
    void FileReload();
    // The text of Char before its first CR (all of it when it holds none).
    static QString LineCutter(const QString &Char);

    // The clipboard commands of the Edit menu.
    void EditPaste();
    void EditCopy();
    void EditSelectCopy();
    void EditNumCopy();

    // The result list's lines, as shown (for the copy commands and tests).
    int reportCount() const;
    QString reportLine(int i) const;
    bool reportSelected(int i) const;

    // Set by the exit sequence, which runs once.
    bool exiting() const { return m_exiting; }
    void setExiting() { m_exiting = true; }

    QLineEdit *Source = nullptr;
    QPushButton *Search_Key = nullptr;
    QListView *Report = nullptr;
    QLabel *SearchInfo = nullptr;

protected:
    bool event(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildMenus();
    void applyLayoutRule();
    void updateMinimumHeight();
    void searchKeyClick();
    void sourceChanged();
    void openSettings();
    void openFileInfo();
    void openVersion();
    void copyLines(CopyTake take) const;

    ReportModel *m_model = nullptr;
    QWidget *m_client = nullptr;
    bool m_exiting = false;
};

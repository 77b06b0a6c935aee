#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

// The launcher after logon: a new import or export, a saved task (also from
// the recent lists), or straight on to the data. Every choice is handed to
// the main window through a signal, connected directly so that the chosen
// dialog runs on top of the launcher; the launcher closes afterwards.
class TStartTaskDlg : public QDialog {
    Q_OBJECT
public:
    explicit TStartTaskDlg(QWidget* parent = nullptr);

    QMenu* ImportTasksMenu() const { return pmImportTasks; }
    QMenu* ExportTasksMenu() const { return pmExportTasks; }

Q_SIGNALS:
    // The main window's actImportLob and actExportLob.
    void NewImportLobRequested();
    void NewExportLobRequested();
    // The main window's actOpenImportTask and actOpenExportTask (a file dialog).
    void OpenImportTaskRequested();
    void OpenExportTaskRequested();
    // TMainForm.OpenImportTaskFile / OpenExportTaskFile with a recent file,
    // as it is, also when it no longer exists.
    void OpenImportTaskFileRequested(const QString& fileName);
    void OpenExportTaskFileRequested(const QString& fileName);

private:
    void FormCreate();
    // One menu item per recent task file, the most recent first.
    static void FillRecentMenu(QMenu* menu, const QString& recentKey);
    // Runs the hand-over, then closes the launcher (also after a failure).
    void HandOver(const std::function<void()>& handOver);

    void alblNewImportLobClick();
    void alblNewExportLobClick();
    void alblLoadImportTaskClick();
    void alblLoadExportTaskClick();
    void alblEditLobClick();
    void chkNotShowClick();
    void btnCloseClick();

    QLabel* lbl2;
    QPushButton* alblNewImportLob;
    QPushButton* alblNewExportLob;
    QLabel* lbl3;
    QPushButton* alblLoadImportTask;
    QToolButton* btnImportTasks;
    QPushButton* alblLoadExportTask;
    QToolButton* btnExportTasks;
    QPushButton* alblEditLob;
    QCheckBox* chkNotShow;
    QPushButton* btnClose;
    QMenu* pmImportTasks;
    QMenu* pmExportTasks;
};

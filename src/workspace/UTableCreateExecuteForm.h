#pragma once

#include <QDialog>
#include <QString>

class QPushButton;
class QsciScintilla;
class TTableCreator;
class TTableInfo;

// The outcomes of the execute form.
extern const char* const TableCreateCreated;    // "created"
extern const char* const TableCreateFailed;     // "failed"
extern const char* const TableCreateCanceled;   // "canceled"

// Shows the generated script, lets the user edit it and runs it. A script
// the server rejects goes to the application's handler and the form stays
// open with it, so it can be mended or cancelled.
class TTableCreateExecuteForm : public QDialog {
    Q_OBJECT
public:
    explicit TTableCreateExecuteForm(QWidget* owner = nullptr);

    void SetTableCreator(TTableCreator* creator) { FTableCreator = creator; }   // borrowed
    // Generates the script for the description and shows it modally.
    void ShowScript(TTableInfo* info);
    // Empty before the first Execute or Cancel; kept between shows.
    const QString& Result() const { return FResult; }

    void BitBtn1Click();   // Execute
    void BitBtn2Click();   // Cancel

private:
    QsciScintilla* edtSql;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    TTableCreator* FTableCreator = nullptr;
    QString FResult;
};

// The SQL editor of the workspace dialogs: SQL highlighting, a fixed-pitch font.
QsciScintilla* NewSqlEditor(QWidget* parent, const QString& objectName);

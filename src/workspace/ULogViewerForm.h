#pragma once

#include <QDialog>

class QPlainTextEdit;

// Shows the debug memory log as it was when loaded.
class TLogViewerForm : public QDialog {
    Q_OBJECT
public:
    explicit TLogViewerForm(QWidget* owner = nullptr);

    void LoadLog();

private:
    QPlainTextEdit* memLog;
};

#pragma once

#include <QDialog>

class QTextBrowser;

// The window that shows the report endpoint's answer page. The browser
// fetches no remote resources.
class TWebBrowserForm : public QDialog {
    Q_OBJECT
public:
    explicit TWebBrowserForm(QWidget* owner = nullptr);

    QTextBrowser* WebBrowser;
};

// Shows html in a new modal browser window, maximised when asked.
void ShowHTML(const QString& html, bool maximised);

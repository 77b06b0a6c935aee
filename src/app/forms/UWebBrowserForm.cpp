#include "UWebBrowserForm.h"

#include "widgets/htmlreader.h"

#include <QTextBrowser>
#include <QVBoxLayout>

TWebBrowserForm::TWebBrowserForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("WebBrowserForm"));
    setWindowTitle(QStringLiteral("Web Browser"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    WebBrowser = new QTextBrowser(this);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser->setAccessibleName(QStringLiteral("Answer page"));
    layout->addWidget(WebBrowser);
    resize(584, 362);
}

void ShowHTML(const QString& html, bool maximised)
{
    TWebBrowserForm form;
    ClearBrowser(form.WebBrowser);
    LoadHTML(form.WebBrowser, html);
    form.WebBrowser->repaint();
    if (maximised)
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
    form.exec();
}

#include "htmlreader.h"

#include "base/UStringUtil.h"

#include <QTextBrowser>

void LoadHTML(QTextBrowser* browser, const QString& html)
{
    if (!browser)
        return;
    QString text = TrimText(html);
    if (!text.startsWith(QStringLiteral("<html>"), Qt::CaseSensitive))
        text.prepend(QStringLiteral("<html>"));
    browser->setHtml(text);
}

void ClearBrowser(QTextBrowser* browser)
{
    if (!browser)
        return;
    browser->setSource(QUrl());
    browser->clear();
}

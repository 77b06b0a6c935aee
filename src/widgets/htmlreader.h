#pragma once

#include <QString>

class QTextBrowser;

// Shows an HTML text in a browser: trimmed, with "<html>" put in front when
// it does not start with it (letter case counts). The browser fetches no
// remote resources.
void LoadHTML(QTextBrowser* browser, const QString& html);

// Shows an empty page.
void ClearBrowser(QTextBrowser* browser);

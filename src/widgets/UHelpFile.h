#pragma once

#include <QString>

// The HTML help beside the program: the folder "help" next to the executable.

// The full path of a help page given relative to that folder
// ("index.html", "logon/mysql_logon.html").
QString HelpFilePath(const QString& page);

// Opens the page through the shell opener; a page that cannot be handed over
// is reported in a message box.
void OpenHelpFile(const QString& page);

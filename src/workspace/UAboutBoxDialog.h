#pragma once

#include <QString>

// Shows an about form with the texts given.
class TAboutBoxDialog {
public:
    QString ProductName;
    QString Copyright;     // the maker's notice line
    QString Comments;
    QString LinkCaption;   // "Homepage:" or "Support:"
    QString Link;

    // Modal; always true.
    bool Execute();
};

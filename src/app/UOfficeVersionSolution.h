#pragma once

#include <QString>

// Advice for errors about Office database files (".mdb", ".accdb") that a
// missing or mismatched Access installation causes.
class TOfficeVersionSolution {
public:
    QString ErrorText;
    QString OSArch;
    QString AppArch;
    QString AccessArch;
    QString AccessVersion;
    QString Advice;
    QString Keyword;

    // True when an advice applies to text; Advice and Keyword then hold it.
    bool Analyse(const QString& text);

private:
    bool IsAccessOld() const;
};

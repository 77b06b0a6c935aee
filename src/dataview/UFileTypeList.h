#pragma once

#include <QList>
#include <QString>

// One file type the desktop knows: its extension with the dot, its
// description and the command line of its default program.
struct TFileTypeEntry {
    QString Extension;
    QString Description;
    QString Command;

    // "Text Document (.txt)"
    QString Text() const { return Description + QStringLiteral(" (") + Extension + QLatin1Char(')'); }
};

// The file types of the shared MIME database that have a description and a
// default program (from GIO), one entry per extension, sorted by extension.
QList<TFileTypeEntry> ReadFileTypes();

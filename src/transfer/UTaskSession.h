#pragma once

#include "platform/registry/UMruList.h"

#include <QString>
#include <memory>

class TMyIniFile;

// A saved import or export task: its settings, the file it was saved to or
// loaded from, and the list of recently used task files of its kind. The
// file is an ini text with one section named after the kind; other sections
// of the file (the logon sections of a batch run) are never touched.
class TTaskSession {
public:
    static constexpr int MaxRecentFiles = 10;
    // The text of the dialogs' folder edits before a folder is chosen.
    static const QString NoFolderText;

    virtual ~TTaskSession();
    TTaskSession(const TTaskSession&) = delete;
    TTaskSession& operator=(const TTaskSession&) = delete;

    // Saves under fileName, which becomes FileName: the previous file is kept
    // as fileName + ".bak", the name goes first in the recent list, and the
    // keys are written into the file in place. Task files can hold logon
    // passwords, so the file and its copy are readable by the owner only.
    virtual void SaveToFile(const QString& fileName);
    // Reads the task from fileName, which becomes FileName and goes first in
    // the recent list. Missing files and keys read as the defaults.
    virtual void LoadFromFile(const QString& fileName);
    // The same value in every field of the kind; false for another kind.
    virtual bool IsSame(const TTaskSession& other) const = 0;
    // Writes every key of the kind into fileName (in place, created when
    // missing, owner-only), without FileName, recent list or backup.
    virtual void WriteIni(const QString& fileName) const = 0;
    // Never saved or loaded, and no folder chosen.
    virtual bool IsBlank() const = 0;
    // A new, empty task of the same kind.
    virtual std::unique_ptr<TTaskSession> CreateSame() const = 0;
    // True when the task needs a table and names none.
    virtual bool TableMissing() const = 0;
    // "From : " source, CR LF, "To : " target.
    virtual QString GetDescription() const = 0;

    // True without a file, or when the file holds something else.
    bool IsModified() const;
    // FileName, else the description.
    QString GetCaption() const;

    TMruList& RecentList() { return FRecentList; }
    const QString& Filter() const { return FFilter; }
    const QString& DefaultExt() const { return FDefaultExt; }
    // The kind's word, also the name of the file's section.
    const QString& Kind() const { return FKind; }
    const QString& FileName() const { return FFileName; }

    // fileName made owner-only before the ini writer changes it in place
    // (also before the logon sections of a batch run are written into it).
    static void PrepareTaskFile(const QString& fileName);
    // Each line break (CR LF, lone CR, lone LF) as one blank: the dialogs
    // run and save multi-line clauses as one line.
    static QString JoinLines(const QString& text);

protected:
    TTaskSession(const QString& recentKey, const QString& filter, const QString& defaultExt, const QString& kind);

    // Reads every key of the kind, each with its default.
    virtual void ReadIni(const TMyIniFile& ini) = 0;
    // A text as one ini value that reads back as it stands: each line break
    // (CR LF, lone CR, lone LF) becomes one blank, and a value that the
    // reader would trim or unquote is enclosed in double quotes.
    static QString IniText(const QString& value);

private:
    TMruList FRecentList;
    QString FFilter;
    QString FDefaultExt;
    QString FKind;
    QString FFileName;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Lists the files of a folder that an import takes, optionally with its
// sub-folders at any depth: each folder's files first (sorted by name, byte
// order, so runs repeat), then its sub-folders depth first.
//
// Taken: regular files and links to them, whose name matches the mask
// (letter case ignored) and whose extension is the mask's extension exactly
// (letter case included), unless the mask's extension is ".*". Names holding
// "DS_Store" are left out; other hidden files are taken. Not entered: hidden
// folders (a name starting with "."), linked folders (a link loop would
// recurse without end). Devices, pipes and sockets are left out: reading one
// can block for ever.
//
// Names are bytes: a file whose name is not valid UTF-8 is listed with its
// bytes (NativeFiles, to open it) and its text read as Windows-1252 (Files).
// A folder that cannot be read (no permission, a path too long, gone during
// the scan) lists nothing and is remembered in Failures with the system's
// reason; a missing top folder is no failure (MissingFolder tells).
class TFolderScanner {
public:
    // The folder being listed, ending with "/"; empty lists nothing.
    const QString& Folder() const { return FFolder; }
    void SetFolder(const QString& folder) { FFolder = folder; }
    // A file-name pattern with "*" and "?", such as "*.*" or "*.jpg".
    const QString& Mask() const { return FMask; }
    void SetMask(const QString& mask);
    bool Recursive() const { return FRecursive; }
    void SetRecursive(bool recursive) { FRecursive = recursive; }

    int Count() const { return int(FFiles.size()); }
    // The full path of every file listed, in listing order, as text.
    const QStringList& Files() const { return FFiles; }
    // The same paths as the file system knows them.
    const QList<QByteArray>& NativeFiles() const { return FNativeFiles; }

    struct TFailure {
        QString Folder;   // as text, ending with "/"
        QString Reason;   // the system's message
    };
    const QList<TFailure>& Failures() const { return FFailures; }
    // The top folder does not exist.
    bool MissingFolder() const { return FMissingFolder; }

    void Reset();
    // Appends the files of Folder (and its sub-folders) to Files.
    void Scan();

private:
    void ScanFolder(const QByteArray& folder, bool top);
    void AddFailure(const QByteArray& folder, int error);
    bool IsTaken(const QByteArray& name) const;

    QString FFolder;
    QString FMask = QStringLiteral("*.*");
    QString FMaskExt = QStringLiteral(".*");
    bool FRecursive = false;
    QStringList FFiles;
    QList<QByteArray> FNativeFiles;
    QList<TFailure> FFailures;
    bool FMissingFolder = false;
};

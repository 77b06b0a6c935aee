#pragma once

#include "UScKey.h"

#include <QString>
#include <optional>

// The accepted host keys, named (by host), kept in one file of a folder so
// that they outlive the run. Every lookup reads the file anew, so a key that
// another process accepted counts at once; every change is written to a new
// file that replaces the old one, under a lock between processes.
//
// File: one key a line, "name<TAB>algorithm<TAB>base64", the name
// percent-encoded; the owner alone may read it.
class TScFileStorage {
public:
    static constexpr const char* KeyFileName = "ssh_host_keys";

    // The folder; the file is Path() + "/ssh_host_keys".
    void SetPath(const QString& folder) { FPath = folder; }
    const QString& Path() const { return FPath; }
    QString FileName() const;

    // The key stored under name (letter case aside); nothing without a folder.
    std::optional<TScKey> FindKey(const QString& name) const;
    // Stores key under name, replacing a key of that name. Raises
    // EInOutError when the file cannot be written.
    void AddKey(const QString& name, const TScKey& key);
    // False when there was no such key.
    bool RemoveKey(const QString& name);

private:
    QString FPath;
};

#pragma once

#include "base/UException.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The current user's registry hive, kept in one file (DefaultFileName).
//
// Keys are paths of names separated by "\"; a leading "\" starts at the root
// of the hive, any other path is relative to the current key. Key and value
// names compare without regard to letter case and keep the case they were
// created with. Values are typed: string or 32-bit integer.
//
// Every operation locks the file, reads it when it changed since this process
// last read or wrote it, and writes changes through a temporary file and an
// atomic rename (beside the target when the file is a symbolic link), so that
// threads and processes can use the store at once. A damaged file reads as
// empty: it is renamed aside with a logged warning and never overwritten.
enum class TRegDataType {
    rdUnknown,   // no such value
    rdString,
    rdInteger,
};

// A registry failure: a value of the wrong type or missing, or a store that
// cannot be written.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    // fileName empty: DefaultFileName().
    explicit TRegistry(const QString& fileName = QString());
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // $XDG_CONFIG_HOME (default ~/.config) + "/Corvanta/registry"; empty
    // without a home folder.
    static QString DefaultFileName();
    const QString& FileName() const { return FFileName; }

    // Reads the store at the start of a program: a store or folder that others
    // may write is made the owner's only, a damaged one is set aside. Gives the
    // notices of damaged stores this process has set aside and not yet told.
    static QStringList OpenAtStart(const QString& fileName = QString());

    // Makes key the current key; canCreate creates the missing levels. False
    // when it does not exist (and may not be created) or cannot be created.
    bool OpenKey(const QString& key, bool canCreate);
    // The same without creation; writes then raise.
    bool OpenKeyReadOnly(const QString& key);
    // Back to the root of the hive.
    void CloseKey();
    // The current key's path without a leading "\" (empty at the root).
    QString CurrentPath() const;

    bool KeyExists(const QString& key);
    bool CreateKey(const QString& key);
    // Deletes key with all its subkeys and values; false when it is missing.
    bool DeleteKey(const QString& key);

    // Of the current key: its subkeys (sorted, letter case aside) and values
    // (in the order they were created).
    QStringList GetKeyNames();
    QStringList GetValueNames();
    bool HasSubKeys();

    bool ValueExists(const QString& name);
    TRegDataType GetDataType(const QString& name);

    // A missing value reads as an empty text; an integer value raises.
    QString ReadString(const QString& name);
    // A missing or string value raises.
    int ReadInteger(const QString& name);
    bool ReadBool(const QString& name);   // ReadInteger != 0

    // Writes into the current key (recreated when another process deleted it);
    // raise when the key is open read-only or the store cannot be written.
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);   // 1 or 0
    bool DeleteValue(const QString& name);

    // Runs fn as one change: the store stays locked meanwhile and is written
    // once at the end; when fn raises, nothing of it is written. Inside fn use
    // this object only: another one on the same file waits for the lock forever.
    void Update(const std::function<void()>& fn);

    class TStore;   // one locked, loaded view of the file

private:
    struct TKeyPath {
        bool valid = false;
        QStringList names;
    };
    TKeyPath Resolve(const QString& key) const;
    void CheckWritable() const;
    void WriteValue(const QString& name, TRegDataType type, const QString& text, int number);
    template <class F>
    auto WithStore(F&& fn);

    QString FFileName;
    QStringList FCurrent;
    bool FReadOnly = false;
    TStore* FUpdate = nullptr;
};

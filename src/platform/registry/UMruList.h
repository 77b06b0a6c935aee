#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// A most-recently-used list of texts (file names) below a registry key: the
// string values "1" (the most recent) to "n", at most MaxItems of them. Other
// values of the key are left alone.
class TMruList {
public:
    // key is a path below the root of the hive; registryFile empty: the
    // default store.
    explicit TMruList(const QString& key, int maxItems = 10, const QString& registryFile = QString());

    const QString& Key() const { return FKey; }
    int MaxItems() const { return FMaxItems; }

    // The entries, the most recent first.
    QStringList Items() const;
    // Puts item first; an equal entry moves, the oldest beyond MaxItems go.
    void Add(const QString& item);
    // Removes an equal entry; false when there is none.
    bool Remove(const QString& item);
    void Clear();

private:
    // Reads the entries, lets change edit them and writes them back as one
    // registry change; a missing key is created when createKey is set, else
    // nothing happens.
    void ChangeItems(bool createKey, const std::function<void(QStringList&)>& change);

    QString FKey;
    int FMaxItems;
    QString FRegistryFile;
};

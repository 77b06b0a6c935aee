#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// An ordered list of name=value entries: table descriptions, column type
// lists, parameter lists. Rules every reader and writer relies on:
// - a lookup ignores letter case and takes the first entry with that name;
//   a missing name reads as the empty text;
// - setting a name to the empty text removes its entry, so no entry ever
//   holds an empty value through SetValue;
// - flags are written "-1" and "0" and read as true for a non-zero integer or
//   the word True in any letter case.
// Names and values are kept apart, so a name may itself contain "=".
class TNameValueList {
public:
    TNameValueList() = default;
    // From "name=value" lines, split at the first "="; a line without one is a
    // name with an empty value.
    static TNameValueList FromStrings(const QStringList& lines);

    int Count() const { return int(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    const QString& Names(int index) const { return FItems.at(size_t(index)).first; }
    const QString& ValueFromIndex(int index) const { return FItems.at(size_t(index)).second; }
    void SetValueFromIndex(int index, const QString& value) { FItems.at(size_t(index)).second = value; }
    // The index of the first entry with that name, -1 when there is none.
    int IndexOfName(const QString& name) const;
    bool Contains(const QString& name) const { return IndexOfName(name) >= 0; }

    QString Value(const QString& name) const;
    // Replaces the first entry's value or appends a new entry; the empty
    // text removes the first entry of that name.
    void SetValue(const QString& name, const QString& value);
    // Appends an entry as it is, even when the name exists already.
    void Add(const QString& name, const QString& value);
    void Delete(int index);
    void Clear() { FItems.clear(); }

    bool Flag(const QString& name) const;
    void SetFlag(const QString& name, bool value);
    static bool IsTrueFlag(const QString& text);
    static QString FlagText(bool value);

    // "name=value" lines in list order.
    QStringList Strings() const;

    bool operator==(const TNameValueList& other) const { return FItems == other.FItems; }

private:
    std::vector<std::pair<QString, QString>> FItems;
};

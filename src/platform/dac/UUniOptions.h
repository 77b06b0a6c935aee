#pragma once

#include <QString>
#include <QStringList>

// An ordered name=value list whose lookups ignore letter case: the provider
// options of a connection or a query, the restrictions of a catalogue read.
class TUniOptions {
public:
    QString Value(const QString& name) const;      // empty when missing
    bool HasValue(const QString& name) const;
    void SetValue(const QString& name, const QString& value);   // empty removes
    // A boolean option: True/False in any case, or a number (non-zero true).
    bool BoolValue(const QString& name, bool defaultValue) const;
    void Clear() { FItems.clear(); }
    QStringList Text() const { return FItems; }    // "name=value" entries
    void SetText(const QStringList& items) { FItems = items; }

private:
    qsizetype IndexOf(const QString& name) const;
    QStringList FItems;
};

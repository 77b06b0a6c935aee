#pragma once

#include "platform/dac/UFieldType.h"

#include <QString>
#include <QStringList>

// Which columns of a table or query are large objects: the import, export
// and merge dialogs fill their column lists from it.
class TFieldTypesInfo {
public:
    TFieldTypesInfo();
    virtual ~TFieldTypesInfo();

    // Every column, in the order of the result.
    const QStringList& AllFields() const { return FAllFields; }
    // The large-object columns (binary, text).
    const QStringList& LobFields() const { return FLobFields; }
    // The others.
    const QStringList& OtherFields() const { return FOtherFields; }

protected:
    void Clear();
    void AddField(const QString& name, TFieldType type);
    void Assign(const TFieldTypesInfo& source);

private:
    QStringList FAllFields;
    QStringList FLobFields;
    QStringList FOtherFields;
};

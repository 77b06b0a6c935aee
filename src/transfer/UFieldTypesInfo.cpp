#include "UFieldTypesInfo.h"

TFieldTypesInfo::TFieldTypesInfo() = default;

TFieldTypesInfo::~TFieldTypesInfo() = default;

void TFieldTypesInfo::Clear()
{
    FAllFields.clear();
    FLobFields.clear();
    FOtherFields.clear();
}

void TFieldTypesInfo::AddField(const QString& name, TFieldType type)
{
    FAllFields.append(name);
    (IsBlobFieldType(type) ? FLobFields : FOtherFields).append(name);
}

void TFieldTypesInfo::Assign(const TFieldTypesInfo& source)
{
    FAllFields = source.FAllFields;
    FLobFields = source.FLobFields;
    FOtherFields = source.FOtherFields;
}

#include "ULobObjectFactory.h"

#include "ULobExporter.h"

QString TLobObjectFactory::GetLobCellKind(TFieldType fieldType) const
{
    return fieldType == ftMemo ? QStringLiteral("5") : QStringLiteral("1");
}

std::unique_ptr<TLobExporter> TLobObjectFactory::CreateExporter()
{
    return std::make_unique<TLobExporter>();
}

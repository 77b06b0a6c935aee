#include "ULobObjectFactory.h"

#include "ULobExporter.h"
#include "ULobImporter.h"

QString TLobObjectFactory::GetLobCellKind(TFieldType fieldType) const
{
    return fieldType == ftMemo ? QStringLiteral("5") : QStringLiteral("1");
}

std::unique_ptr<TLobExporter> TLobObjectFactory::CreateExporter()
{
    return std::make_unique<TLobExporter>();
}

std::unique_ptr<TLobImporter> TLobObjectFactory::CreateImporter()
{
    return std::make_unique<TLobImporter>();
}

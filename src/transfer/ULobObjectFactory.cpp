#include "ULobObjectFactory.h"

QString TLobObjectFactory::GetLobCellKind(TFieldType fieldType) const
{
    return fieldType == ftMemo ? QStringLiteral("5") : QStringLiteral("1");
}

#include "transfer/ULobObjectFactory.h"

#include <gtest/gtest.h>

TEST(LobObjectFactory, CellKindIsTextForMemoOnly)
{
    TLobObjectFactory factory;
    EXPECT_EQ(factory.GetLobCellKind(ftMemo), QStringLiteral("5"));
    for (TFieldType type : {ftWideMemo, ftBlob, ftFmtMemo, ftGraphic, ftOraClob, ftString, ftUnknown})
        EXPECT_EQ(factory.GetLobCellKind(type), QStringLiteral("1")) << FieldTypeName(type).toStdString();
}

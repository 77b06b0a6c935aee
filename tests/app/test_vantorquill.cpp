#include "AppTestUtil.h"
#include "app/UVantorquill.h"
#include "transfer/ULobConverter.h"
#include "transfer/ULobObjectFactory.h"

#include <gtest/gtest.h>
#include <memory>

TEST(Vantorquill, OwnsTheLobFactoryAndTellsTheTransferEngineItsMode)
{
    apptest::ProgramUnits units;
    std::unique_ptr<TApp> app(TVantorquill::GetInstance());
    TLobObjectFactory* factory = TQuenmarel::GetApp()->GetLobObjectFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->GetLobCellKind(ftMemo), QStringLiteral("5"));
    EXPECT_FALSE(TLobConverter::IsGUIMode());   // window mode has not started
}

#include "base/ULog.h"
#include "base/UMemoryLogAppender.h"
#include "base/URttiUtil.h"

#include <gtest/gtest.h>

namespace {
class TShapeBase : public TObject {};
class TCircle : public TShapeBase {};
class TOther : public TObject {};
class TPart : public TComponent {
public:
    explicit TPart(TComponent* owner) : TComponent(owner) {}
};

int destroyedOthers = 0;
class TCounted : public TObject {
public:
    ~TCounted() override { ++destroyedOthers; }
};
}  // namespace

TEST(RttiUtil, CreatesRegisteredClassesByQualifiedName)
{
    TRttiUtil::RegisterObjectClass<TCircle>(QStringLiteral("UCircle.TCircle"));
    auto shape = TRttiUtil::CreateObjectAs<TShapeBase>(QStringLiteral("ucircle.tcircle"));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->ClassName(), QStringLiteral("TCircle"));

    TRttiUtil::RegisterComponentClass<TPart>(QStringLiteral("UPart.TPart"));
    TComponent owner;
    TPart* part = TRttiUtil::CreateComponentAs<TPart>(QStringLiteral("UPart.TPart"), &owner);
    EXPECT_EQ(part->Owner(), &owner);   // freed by the owner
}

TEST(RttiUtil, UnknownNameIsLoggedAndRaised)
{
    TLog::Init();
    TMemoryLogAppender log;
    TLog::GetLogger()->AddAppender(&log);
    try {
        TRttiUtil::CreateObject(QStringLiteral("UNowhere.TNowhere"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Can not find class type: UNowhere.TNowhere"));
    }
    TLog::GetLogger()->RemoveAppender(&log);
    ASSERT_EQ(log.Lines.size(), 1);
    EXPECT_TRUE(log.Lines.first().endsWith(QStringLiteral("[error]\tCan not find class type: UNowhere.TNowhere")));
}

TEST(RttiUtil, WrongClassIsACastErrorAndTheObjectIsFreed)
{
    TRttiUtil::RegisterObjectClass<TCounted>(QStringLiteral("UCounted.TCounted"));
    destroyedOthers = 0;
    try {
        TRttiUtil::CreateObjectAs<TShapeBase>(QStringLiteral("UCounted.TCounted"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cast Error: TObject to TShapeBase, Real type: TCounted"));
    }
    EXPECT_EQ(destroyedOthers, 1);
}

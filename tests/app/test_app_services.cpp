#include "AppTestUtil.h"
#include "app/UVantorquill.h"
#include "base/UException.h"
#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/ULogonBatchFileCreator.h"
#include "transfer/USessionManager.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList freed;

class TRecordingDBFactory : public TDBObjectFactory {
public:
    TRecordingDBFactory() : TDBObjectFactory(QStringLiteral("Mysql")) {}
    ~TRecordingDBFactory() override { freed << QStringLiteral("database object factory"); }
};

class TRecordingLobFactory : public TLobObjectFactory {
public:
    ~TRecordingLobFactory() override { freed << QStringLiteral("LOB object factory"); }
};

class TRecordingCreator : public TLogonBatchFileCreator {
public:
    using TLogonBatchFileCreator::TLogonBatchFileCreator;
    ~TRecordingCreator() override { freed << QStringLiteral("batch-file creator"); }
};

class TRecordingManager : public TSessionManager {
public:
    using TSessionManager::TSessionManager;
    ~TRecordingManager() override { freed << QStringLiteral("session manager"); }
};

class TRecordingApp : public TQuenmarel {
public:
    static TApp* Make()
    {
        std::unique_ptr<TRecordingApp> app(new TRecordingApp());
        app->Construct();
        return app.release();
    }
    void RunGUI() override {}

protected:
    std::unique_ptr<TDBObjectFactory> CreateDBObjectFactory() override
    {
        return std::make_unique<TRecordingDBFactory>();
    }
    void CreateLobObjectFactory() override { FLobObjectFactory = std::make_unique<TRecordingLobFactory>(); }
    std::unique_ptr<TLogonBatchFileCreator> CreateLogonBatchFileCreator() override
    {
        const std::unique_ptr<TLogonBatchFileCreator> made = TQuenmarel::CreateLogonBatchFileCreator();
        return std::make_unique<TRecordingCreator>(made->OptionName(), made->SourceDBLogonOption(),
                                                   made->TargetDBLogonOption());
    }
    std::unique_ptr<TSessionManager> CreateSessionManager() override
    {
        return std::make_unique<TRecordingManager>(GetLogonBatchFileCreator());
    }
};

}  // namespace

TEST(ApplicationServices, BatchFileCreatorAndSessionManagerAreBuiltInCommandLineMode)
{
    apptest::ProgramUnits units;
    SetProgramArguments(QStringLiteral("/x/Vantorquill"), {QStringLiteral("task=/x/t.ilt")});
    std::unique_ptr<TApp> app(TVantorquill::GetInstance());
    ASSERT_TRUE(app->IsCommandLineMode());
    TQuenmarel* quenmarel = TQuenmarel::GetApp();
    TLogonBatchFileCreator* creator = quenmarel->GetLogonBatchFileCreator();
    ASSERT_NE(creator, nullptr);
    TDBLogonOption* profile = quenmarel->GetDBObjectFactory()->GetLogon()->GetLogonOption();
    EXPECT_EQ(creator->OptionName(), QStringLiteral("task"));
    EXPECT_EQ(creator->SourceDBLogonOption(), profile);
    EXPECT_EQ(creator->TargetDBLogonOption(), profile) << "one profile serves as source and target";
    ASSERT_NE(quenmarel->GetSessionManager(), nullptr);
    EXPECT_EQ(quenmarel->GetSessionManager()->BatchFileCreator(), creator);

    // Without the form library nothing can show a dialog: the command line
    // makes none.
    try {
        creator->ShowBatchDialog();
        FAIL() << "a dialog without the form library";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Can not find class type: ") + TLogonBatchFileCreator::DialogClassName);
    }
}

TEST(ApplicationServices, ServicesAreFreedInOrder)
{
    apptest::ProgramUnits units;
    freed.clear();
    std::unique_ptr<TApp> app(TRecordingApp::Make());
    EXPECT_TRUE(freed.isEmpty());
    app.reset();
    EXPECT_EQ(freed, QStringList({QStringLiteral("database object factory"), QStringLiteral("LOB object factory"),
                                  QStringLiteral("batch-file creator"), QStringLiteral("session manager")}));
    EXPECT_FALSE(TApp::HasInstance());
}

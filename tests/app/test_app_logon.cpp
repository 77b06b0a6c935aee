// The application object's logon: it closes the connection and runs the
// logon dialog of the registered class.
#include "AppTestUtil.h"
#include "app/UQuenmarel.h"
#include "base/URttiUtil.h"
#include "db/UDBLogonForm.h"
#include "db/UDBObjectFactory.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

class TLogonProbeApp : public TQuenmarel {
public:
    static TLogonProbeApp* Make()
    {
        std::unique_ptr<TLogonProbeApp> app(new TLogonProbeApp());
        app->Construct();
        return app.release();
    }

protected:
    void CreateLobObjectFactory() override {}
};

class TLogonProbeForm : public TDBLogonForm {
public:
    using TDBLogonForm::TDBLogonForm;
    static inline bool ConnectedWhenShown = true;
    static inline bool ConnectOnShow = false;

    int ShowModal() override
    {
        ConnectedWhenShown = FConnection->Connected();
        if (ConnectOnShow)
            FConnection->Connect();
        return 0;
    }

protected:
    void OnConnectionSet() override {}
};

}  // namespace

TEST(ApplicationLogon, ClosesTheConnectionThenRunsTheDialog)
{
    VQ_REQUIRE_TEST_DB();
    // A logon raises the server's packet limit; tests elsewhere that watch
    // that step hold this lock while they do.
    TUniConnection lock;
    apptest::PointAtTestServer(lock);
    lock.Connect();
    lock.ExecSQL(QStringLiteral("do get_lock('vq_max_allowed_packet', 120)"));

    apptest::ProgramUnits units;
    const QString formClass = QStringLiteral("UMysqlLogonForm.TMysqlLogonForm");
    TRttiUtil::RegisterComponentClass<TLogonProbeForm>(formClass);
    {
        std::unique_ptr<TApp> app(TLogonProbeApp::Make());
        TUniConnection* connection = TQuenmarel::GetApp()->GetDBObjectFactory()->GetConnection();
        apptest::PointAtTestServer(*connection);
        connection->Connect();

        TLogonProbeForm::ConnectOnShow = false;
        EXPECT_FALSE(TQuenmarel::GetApp()->Logon());
        EXPECT_FALSE(TLogonProbeForm::ConnectedWhenShown) << "the old session is closed first";
        EXPECT_FALSE(connection->Connected());

        TLogonProbeForm::ConnectOnShow = true;
        EXPECT_TRUE(TQuenmarel::GetApp()->Logon());
        EXPECT_TRUE(connection->Connected());
    }
    TRttiUtil::Unregister(formClass);
}

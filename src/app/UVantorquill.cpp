#include "UVantorquill.h"

#include "transfer/ULobConverter.h"
#include "transfer/ULobObjectFactory.h"

#include <memory>

TApp* TVantorquill::GetInstance()
{
    if (HasInstance())
        return TApp::GetInstance();
    std::unique_ptr<TVantorquill> app(new TVantorquill());
    app->Construct();
    return app.release();
}

void TVantorquill::CreateLobObjectFactory()
{
    // The converters write their last-run copy only in window mode, which
    // only the application object knows.
    TLobConverter::SetGUIModeQuery(&TApp::IsGUIMode);
    FLobObjectFactory = std::make_unique<TLobObjectFactory>();
}

#include "UVantorquill.h"

#include <memory>

TApp* TVantorquill::GetInstance()
{
    if (HasInstance())
        return TApp::GetInstance();
    std::unique_ptr<TVantorquill> app(new TVantorquill());
    app->Construct();
    return app.release();
}

#include "UCurlLibrary.h"

#include "UHttpClient.h"
#include "base/UDynamicLibrary.h"

namespace {
struct TLoadedCurlLibrary {
    TCurlLibrary Functions;
    QString Error;

    TLoadedCurlLibrary()
    {
        TDynamicLibrary library(TCurlLibrary::SoName);
#define VQ_CURL_RESOLVE(name) library.Resolve(Functions.name, #name);
        VQ_CURL_FUNCTIONS(VQ_CURL_RESOLVE)
#undef VQ_CURL_RESOLVE
        Error = library.Error();
    }
};
}

const TCurlLibrary& TCurlLibrary::Get()
{
    static const TLoadedCurlLibrary loaded;
    if (!loaded.Error.isEmpty())
        throw EHttpError(QStringLiteral("The HTTP library cannot be loaded: %1").arg(loaded.Error));
    return loaded.Functions;
}

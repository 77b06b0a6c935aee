#include "UCurlLibrary.h"

#include "UHttpClient.h"
#include "base/UDynamicLibrary.h"

const TCurlLibrary& TCurlLibrary::Get()
{
    static const auto loaded =
        LoadFunctions<TCurlLibrary>(SoName, [](TDynamicLibrary& library, TCurlLibrary& functions) {
#define VQ_CURL_RESOLVE(name) library.Resolve(functions.name, #name);
            VQ_CURL_FUNCTIONS(VQ_CURL_RESOLVE)
#undef VQ_CURL_RESOLVE
        });
    if (!loaded.Error.isEmpty())
        throw EHttpError(QStringLiteral("The HTTP library cannot be loaded: %1").arg(loaded.Error));
    return loaded.Functions;
}

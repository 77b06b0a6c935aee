#include "UScSSHLibrary.h"

#include "UScSSHClient.h"
#include "base/UDynamicLibrary.h"

namespace {
struct TLoadedSSHLibrary {
    TScSSHLibrary Functions;
    QString Error;

    TLoadedSSHLibrary()
    {
        TDynamicLibrary library(TScSSHLibrary::SoName);
#define VQ_SSH_RESOLVE(name) library.Resolve(Functions.name, #name);
        VQ_SSH_FUNCTIONS(VQ_SSH_RESOLVE)
#undef VQ_SSH_RESOLVE
        Error = library.Error();
    }
};
}

const TScSSHLibrary& TScSSHLibrary::Get()
{
    static const TLoadedSSHLibrary loaded;
    if (!loaded.Error.isEmpty())
        throw ESSHError(QStringLiteral("The SSH library cannot be loaded: %1").arg(loaded.Error));
    return loaded.Functions;
}

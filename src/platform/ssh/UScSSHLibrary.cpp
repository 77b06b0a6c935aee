#include "UScSSHLibrary.h"

#include "UScSSHClient.h"
#include "base/UDynamicLibrary.h"

const TScSSHLibrary& TScSSHLibrary::Get()
{
    static const auto loaded =
        LoadFunctions<TScSSHLibrary>(SoName, [](TDynamicLibrary& library, TScSSHLibrary& functions) {
#define VQ_SSH_RESOLVE(name) library.Resolve(functions.name, #name);
            VQ_SSH_FUNCTIONS(VQ_SSH_RESOLVE)
#undef VQ_SSH_RESOLVE
        });
    if (!loaded.Error.isEmpty())
        throw ESSHError(QStringLiteral("The SSH library cannot be loaded: %1").arg(loaded.Error));
    return loaded.Functions;
}

#include "UDynamicLibrary.h"

#include <dlfcn.h>

namespace {
QString LinkerError()
{
    const char* text = ::dlerror();
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}
}

TDynamicLibrary::TDynamicLibrary(const char* soname)
{
    // Bound at once, so that a library of another version fails here and not
    // in the middle of a transfer; its own symbols stay out of the global
    // scope.
    FHandle = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!FHandle)
        FError = LinkerError();
}

void* TDynamicLibrary::Symbol(const char* name)
{
    if (!Loaded())
        return nullptr;
    ::dlerror();
    void* symbol = ::dlsym(FHandle, name);
    if (!symbol)
        FError = LinkerError();
    return symbol;
}

#pragma once

#include <QString>

// A shared library opened at run time, by its versioned name, and kept open
// for the rest of the process: code of it may run on other threads and at
// exit. A library that cannot be opened, or lacks a function, is no fault
// here: Error() says why, and the caller decides what it means.
class TDynamicLibrary {
public:
    explicit TDynamicLibrary(const char* soname);

    // Sets pointer to the library's function name, or to null and notes the
    // first failure. Nothing happens once a failure is noted.
    template <typename TFunction>
    void Resolve(TFunction& pointer, const char* name)
    {
        pointer = reinterpret_cast<TFunction>(Symbol(name));
    }

    bool Loaded() const { return FError.isEmpty(); }
    // The dynamic linker's text for the first failure; empty when loaded.
    const QString& Error() const { return FError; }

private:
    void* Symbol(const char* name);

    void* FHandle = nullptr;
    QString FError;
};

// A table of a library's functions, filled once, with the reason it could not
// be when it could not.
template <typename TTable>
struct TLoadedFunctions {
    TTable Functions;
    QString Error;
};

// Opens soname and hands it with an empty table to resolveAll, which
// resolves every function of the table.
template <typename TTable, typename TResolveAll>
TLoadedFunctions<TTable> LoadFunctions(const char* soname, TResolveAll resolveAll)
{
    TDynamicLibrary library(soname);
    TLoadedFunctions<TTable> loaded;
    resolveAll(library, loaded.Functions);
    loaded.Error = library.Error();
    return loaded;
}

#pragma once

#include "USessionObjectFactory.h"

class TLobObjectFactory;

// The program's task kinds by the task file's extension (the text from the
// last "." of the file name on, letter case counting): ".ilt" imports, ".elt"
// exports. Other names are no task files: no session, no executor.
class TQuenmarelSessionObjectFactory : public TSessionObjectFactory {
public:
    // The converters come from the program's LOB object factory, borrowed;
    // without one CreateExecutor raises.
    explicit TQuenmarelSessionObjectFactory(TLobObjectFactory* lobObjectFactory);

    bool IsTaskFile(const QString& fileName) const override;
    std::unique_ptr<TTaskSession> CreateSession(const QString& fileName) override;
    std::unique_ptr<TSessionExecutor> CreateExecutor(const QString& fileName) override;
    // A TLogConvertOutputer on logFile, for every kind.
    std::unique_ptr<TOutputer> CreateOutputer(const QString& fileName, const QString& logFile) override;

    // "." and what follows it in the file name; empty without a ".".
    static QString TaskFileExt(const QString& fileName);

private:
    TLobObjectFactory* FLobObjectFactory;
};

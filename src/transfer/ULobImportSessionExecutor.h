#pragma once

#include "USessionExecutor.h"

#include <memory>

class TLobImporter;
class TLobObjectFactory;

// Runs an import task (TLobImportSession) with an importer of its own.
class TLobImportSessionExecutor : public TSessionExecutor {
public:
    // The importer comes from the program's LOB object factory.
    explicit TLobImportSessionExecutor(TLobObjectFactory& factory);
    ~TLobImportSessionExecutor() override;

    bool Execute() override;
    void Stop() override;

    TLobImporter& Converter() const { return *FConverter; }

private:
    std::unique_ptr<TLobImporter> FConverter;
};

#pragma once

#include "USessionExecutor.h"

#include <memory>

class TLobExporter;
class TLobObjectFactory;

// Runs an export task (TLobExportSession) with an exporter of its own.
class TLobExportSessionExecutor : public TSessionExecutor {
public:
    // The exporter comes from the program's LOB object factory.
    explicit TLobExportSessionExecutor(TLobObjectFactory& factory);
    ~TLobExportSessionExecutor() override;

    bool Execute() override;
    void Stop() override;

    TLobExporter& Converter() const { return *FConverter; }

private:
    std::unique_ptr<TLobExporter> FConverter;
};

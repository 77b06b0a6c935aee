#pragma once

#include "platform/dac/UFieldType.h"

#include <QString>
#include <memory>

class TLobExporter;
class TLobImporter;

// The application object's entry to the large-object transfer: it creates the
// converters and tells the data window's grid which picture a large-object
// cell shows.
class TLobObjectFactory {
public:
    virtual ~TLobObjectFactory() = default;

    // The picture of a non-empty large-object cell: "5" (text) for a memo
    // field, "1" (binary) for every other type.
    virtual QString GetLobCellKind(TFieldType fieldType) const;
    // The support command of the main window; nothing to show here.
    virtual void ShowSupportInfo() {}
    // A new importer; the caller owns it.
    virtual std::unique_ptr<TLobImporter> CreateImporter();

    // A new exporter; the caller owns it.
    std::unique_ptr<TLobExporter> CreateExporter();
};

#pragma once

class TDBObjectFactory;

// The main window's two questions about the connection, answered through the
// database object factory it borrows.
class TDBFacade {
public:
    void SetSession(TDBObjectFactory* factory) { FFactory = factory; }
    // The logon object disconnects; true when no connection is open afterwards.
    bool LogOff();
    bool IsConnected() const;

private:
    TDBObjectFactory* FFactory = nullptr;   // borrowed
};

#pragma once

#include "UIterativeConverter.h"

#include <functional>
#include <memory>

class TTaskSession;
class TUniQuery;

// The base of the large-object converters (import, export, merge): a query on
// the program's one connection, the index of the current row and the running
// task.
class TLobConverter : public TIterativeConverter {
public:
    // The query is bound to the connection of the program's database object
    // factory (none while there is no factory: running it then raises).
    TLobConverter();
    ~TLobConverter() override;

    TUniQuery& Query() const { return *FQuery; }
    TTaskSession* Session() const { return FSession; }

    // Writes the last-run copy of the task, "recent." + its extension in the
    // per-user program folder, and logs it; only in window mode.
    void SaveRecentSession();

    // How the transfer engine learns whether the program runs in window mode;
    // the application object installs it. Without it: command-line mode.
    static void SetGUIModeQuery(std::function<bool()> isGUIMode);
    static bool IsGUIMode();

protected:
    int GetPosition() override { return RowIndex + 1; }
    // The rows of the open query, streamed one at a time and counted before
    // they stream (the count is the only statement that can run then);
    // without a count every row is converted. The importer walks files instead.
    void CountTotal() override;
    bool HasNext() override;
    void Next() override;
    // Set by the subclass's BeforeConvert; borrowed.
    void SetSession(TTaskSession* session) { FSession = session; }
    // Makes the query stream its rows one at a time, counted before they
    // stream; its text goes as it stands (a colon in it is the user's, no
    // parameter). Export and merge set it up before they open the query.
    void SetupQuery();
    // Counts the failure against the current row and reports it as
    // "Serial: " and the row's number; the run goes on.
    void RowFailed(const std::exception& error);

    int RowIndex = 0;   // 0-based index of the current item

private:
    std::unique_ptr<TUniQuery> FQuery;
    TTaskSession* FSession = nullptr;
};

#pragma once

#include <QString>
#include <exception>
#include <memory>

class TFileLogAppender;

// The application object, first level: program name, mode, exception hook and
// the run. There is one per process, reached through GetInstance.
class TApp {
public:
    virtual ~TApp();
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    virtual bool IsCommandLineMode() const;
    virtual void InitApp() {}
    virtual void Run();
    virtual bool RunCommandLine() { return false; }
    virtual void RunGUI() = 0;
    virtual QString GetSystemInfo() const;

    // The application object; raises "TApp not create." when there is none.
    static TApp* GetInstance();
    static bool HasInstance();
    static bool IsGUIMode();

    void AppException(const std::exception& e);
    void StartLogging();
    void StopLogging();
    // Starts the start-up update check on its own thread.
    virtual void NotifyUpdate();

    const QString& Name() const { return FName; }
    bool GUIMode() const { return FGUIMode; }
    // The process exit code that this run asks for.
    int ExitCode() const { return FExitCode; }

protected:
    TApp();
    // Part of construction: the program name, the exception hook and the
    // application reference.
    void RegisterInstance();
    // Clears the reference when this object is it.
    void UnregisterInstance();
    void SetExitCode(int code) { FExitCode = code; }

private:
    bool FGUIMode = false;
    std::unique_ptr<TFileLogAppender> FExceptionLogAppender;
    QString FName;
    int FExitCode = 0;
};

// The program name: the file name of the executable without its folder and
// with the first ".exe" removed (case-sensitive).
QString ProgramNameFromFile(const QString& programFile);

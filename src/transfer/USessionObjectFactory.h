#pragma once

#include <QString>
#include <memory>

class TOutputer;
class TSessionExecutor;
class TTaskSession;

// Picks the task, executor and outputer of a task file for an unattended
// run. Everything it creates belongs to the caller.
class TSessionObjectFactory {
public:
    virtual ~TSessionObjectFactory() = default;

    virtual bool IsTaskFile(const QString& fileName) const = 0;
    // The task, loaded from the file.
    virtual std::unique_ptr<TTaskSession> CreateSession(const QString& fileName) = 0;
    virtual std::unique_ptr<TSessionExecutor> CreateExecutor(const QString& fileName) = 0;
    virtual std::unique_ptr<TOutputer> CreateOutputer(const QString& fileName, const QString& logFile) = 0;
};

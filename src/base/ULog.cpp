#include "ULog.h"

#include <QMutex>
#include <memory>
#include <utility>
#include <vector>

namespace {
struct Registry {
    QMutex lock;
    std::vector<std::pair<QString, std::unique_ptr<TLogger>>> loggers;
};

Registry& registry()
{
    static Registry r;
    return r;
}
}

void TLog::Init()
{
    GetLogger();
}

void TLog::Done()
{
    Registry& r = registry();
    QMutexLocker lock(&r.lock);
    r.loggers.clear();
}

TLogger* TLog::GetLoggerByName(const QString& name)
{
    Registry& r = registry();
    QMutexLocker lock(&r.lock);
    for (auto& [key, logger] : r.loggers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return logger.get();
    }
    r.loggers.emplace_back(name, std::make_unique<TLogger>());
    return r.loggers.back().second.get();
}

TLogger* TLog::GetLogger()
{
    return GetLoggerByName(QStringLiteral("Global"));
}

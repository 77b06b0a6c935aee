#include "UTaskStore.h"

#include "base/ULog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace tasksched {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerFolder = ownerOnly | QFileDevice::ExeOwner;

QString DateText(const QDateTime& time)
{
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs) : QString();
}

QDateTime ParseDate(const QJsonValue& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

void MakeFolder(const QString& path)
{
    if (QDir(path).exists())
        return;
    if (!QDir().mkpath(path))
        throw EStoreError(QStringLiteral("Cannot create the folder \"%1\".").arg(path));
    QFile::setPermissions(path, ownerFolder);
}

}  // namespace

struct TStoreLock::TImpl {
    explicit TImpl(const QString& file) : Lock(file) {}
    QLockFile Lock;
};

TStoreLock::TStoreLock(const TTaskStore& store)
{
    MakeFolder(store.Root());
    FImpl = std::make_unique<TImpl>(store.Root() + QStringLiteral("/store.lock"));
    FImpl->Lock.setStaleLockTime(30000);
    if (!FImpl->Lock.tryLock(30000))
        throw EStoreError(QStringLiteral("The task store \"%1\" is locked.").arg(store.Root()));
}

TStoreLock::~TStoreLock() = default;

TTaskStore::TTaskStore(const QString& root) : FRoot(root)
{
    if (FRoot.isEmpty()) {
        FRoot = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                + QStringLiteral("/Corvanta/TaskScheduler");
    }
}

QString TTaskStore::Folder(TTaskKind kind) const
{
    return FRoot + (kind == tkJob10 ? QStringLiteral("/jobs") : QStringLiteral("/tasks"));
}

QString TTaskStore::StateFolder() const
{
    return FRoot + QStringLiteral("/state");
}

QString TTaskStore::RunnerLog() const
{
    return FRoot + QStringLiteral("/runner.log");
}

QString TTaskStore::FileOf(TTaskKind kind, const QString& name) const
{
    return Folder(kind) + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QStringLiteral(".json");
}

QString TTaskStore::StateFileOf(TTaskKind kind, const QString& name) const
{
    const QString prefix = kind == tkJob10 ? QStringLiteral("job-") : QStringLiteral("task-");
    return StateFolder() + QLatin1Char('/') + prefix + QString::fromLatin1(QUrl::toPercentEncoding(name.toLower()));
}

QString TTaskStore::OutputFileOf(TTaskKind kind, const QString& name) const
{
    return StateFileOf(kind, name) + QStringLiteral(".out");
}

void TTaskStore::CheckName(const QString& name)
{
    bool valid = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            valid = false;
    }
    if (!valid)
        throw EStoreError(QStringLiteral("The task name \"%1\" is not valid.").arg(name));
}

bool TTaskStore::ReadFile(const QString& file, TTaskKind kind, TStoredTask& task, QString& error) const
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        error = input.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &parseError);
    if (!document.isObject()) {
        error = parseError.error == QJsonParseError::NoError ? QStringLiteral("not a JSON object") : parseError.errorString();
        return false;
    }
    const QJsonObject json = document.object();
    const QJsonValue format = json.value(QLatin1String("format"));
    if (!format.isDouble() || format.toDouble() != FormatVersion) {
        error = QStringLiteral("unknown format %1").arg(format.toVariant().toString());
        return false;
    }
    if (!json.value(QLatin1String("name")).isString() || !json.value(QLatin1String("definition")).isObject()) {
        error = QStringLiteral("no name or definition");
        return false;
    }
    try {
        task.Kind = kind;
        task.Name = json.value(QLatin1String("name")).toString();
        task.Definition = TTaskDefinition::FromJson(json.value(QLatin1String("definition")).toObject());
        task.Extras = json.value(QLatin1String("extras")).toObject();
    } catch (const Exception& e) {
        error = e.Message();
        return false;
    }
    // A file copied under another name would make two tasks of one.
    if (QFileInfo(file).fileName() != QFileInfo(FileOf(kind, task.Name)).fileName()) {
        error = QStringLiteral("the name does not match the file");
        return false;
    }
    return true;
}

void TTaskStore::Warn(const QString& file, const QString& error)
{
    const QString key = file + QLatin1Char('|') + QFileInfo(file).lastModified().toString(Qt::ISODateWithMs);
    if (FWarned.contains(key))
        return;
    FWarned.insert(key);
    const QString text = QStringLiteral("The task file \"%1\" is skipped: %2").arg(file, error);
    TLog::GetLogger()->Log(llWarn, text);
    AppendLog(QStringLiteral("[warn] ") + text);
}

QList<TTaskStore::TFileEntry> TTaskStore::Scan(TTaskKind kind)
{
    QList<TFileEntry> entries;
    const QDir folder(Folder(kind));
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        TFileEntry entry;
        entry.File = folder.filePath(name);
        QString error;
        if (!ReadFile(entry.File, kind, entry.Task, error)) {
            entry.Damaged = true;
            Warn(entry.File, error);
        }
        entries << entry;
    }
    return entries;
}

QList<TStoredTask> TTaskStore::List(TTaskKind kind)
{
    QList<TStoredTask> tasks;
    for (const TFileEntry& entry : Scan(kind)) {
        if (!entry.Damaged)
            tasks << entry.Task;
    }
    return tasks;
}

bool TTaskStore::Find(TTaskKind kind, const QString& name, TStoredTask& task)
{
    for (const TFileEntry& entry : Scan(kind)) {
        if (!entry.Damaged && entry.Task.Name.compare(name, Qt::CaseInsensitive) == 0) {
            task = entry.Task;
            return true;
        }
    }
    return false;
}

void TTaskStore::WriteJson(const QString& file, const QJsonObject& json) const
{
    MakeFolder(QFileInfo(file).path());
    const QByteArray bytes = QJsonDocument(json).toJson(QJsonDocument::Indented);
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly) || !output.setPermissions(ownerOnly) || output.write(bytes) != bytes.size()
        || !output.commit()) {
        throw EStoreError(QStringLiteral("Cannot write the file \"%1\": %2").arg(file, output.errorString()));
    }
}

QString TTaskStore::Save(const TStoredTask& task)
{
    CheckName(task.Name);
    TStoreLock lock(*this);
    // The spelling already stored stays: names are one task ignoring case.
    QString name = task.Name;
    bool replaces = false;
    for (const TFileEntry& entry : Scan(task.Kind)) {
        if (!entry.Damaged && entry.Task.Name.compare(task.Name, Qt::CaseInsensitive) == 0) {
            name = entry.Task.Name;
            replaces = true;
        }
    }
    const QString file = FileOf(task.Kind, name);
    if (!replaces && QFileInfo::exists(file)) {
        // Only a damaged file is left under this name: keep it for inspection.
        const QString aside = file + QStringLiteral(".damaged-")
                              + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmsszzz"));
        if (!QFile::rename(file, aside))
            throw EStoreError(QStringLiteral("Cannot move the damaged file \"%1\" aside.").arg(file));
    }
    QJsonObject json{{"format", FormatVersion}, {"name", name}, {"definition", task.Definition->ToJson()}};
    if (!task.Extras.isEmpty())
        json["extras"] = task.Extras;
    WriteJson(file, json);
    return name;
}

bool TTaskStore::Remove(TTaskKind kind, const QString& name)
{
    TStoreLock lock(*this);
    for (const TFileEntry& entry : Scan(kind)) {
        if (!entry.Damaged && entry.Task.Name.compare(name, Qt::CaseInsensitive) == 0) {
            if (!QFile::remove(entry.File))
                throw EStoreError(QStringLiteral("Cannot delete the file \"%1\".").arg(entry.File));
            return true;
        }
    }
    return false;
}

TRunState TTaskStore::ReadState(TTaskKind kind, const QString& name) const
{
    TRunState state;
    QFile file(StateFileOf(kind, name) + QStringLiteral(".json"));
    if (!file.open(QIODevice::ReadOnly))
        return state;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    state.LastRunTime = ParseDate(json.value(QLatin1String("lastRunTime")));
    state.HasRun = state.LastRunTime.isValid();
    state.LastResult = json.value(QLatin1String("lastResult")).toInt(state.LastResult);
    state.Running = json.value(QLatin1String("running")).toBool();
    state.Pid = json.value(QLatin1String("pid")).toInteger();
    state.LastCheck = ParseDate(json.value(QLatin1String("lastCheck")));
    state.ExpiredSince = ParseDate(json.value(QLatin1String("expiredSince")));
    return state;
}

void TTaskStore::WriteState(TTaskKind kind, const QString& name, const TRunState& state)
{
    WriteJson(StateFileOf(kind, name) + QStringLiteral(".json"),
              QJsonObject{{"lastRunTime", DateText(state.LastRunTime)},
                          {"lastResult", state.LastResult},
                          {"running", state.Running},
                          {"pid", double(state.Pid)},
                          {"lastCheck", DateText(state.LastCheck)},
                          {"expiredSince", DateText(state.ExpiredSince)}});
}

void TTaskStore::RemoveState(TTaskKind kind, const QString& name)
{
    QFile::remove(StateFileOf(kind, name) + QStringLiteral(".json"));
}

QJsonObject TTaskStore::ReadRunnerState() const
{
    QFile file(StateFolder() + QStringLiteral("/runner.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void TTaskStore::WriteRunnerState(const QJsonObject& state)
{
    WriteJson(StateFolder() + QStringLiteral("/runner.json"), state);
}

void TTaskStore::AppendLog(const QString& line) const
{
    MakeFolder(FRoot);
    QFile file(RunnerLog());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.setPermissions(ownerOnly);
    file.write((QLatin1Char('[') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss:zzz"))
                + QStringLiteral("] ") + line + QLatin1Char('\n'))
                   .toUtf8());
}

}  // namespace tasksched

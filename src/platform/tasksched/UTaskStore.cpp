#include "UTaskStore.h"

#include "base/ULog.h"
#include "base/ULogUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tasksched {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString DateText(const QDateTime& time)
{
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs) : QString();
}

QDateTime ParseDate(const QJsonValue& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

constexpr mode_t privateFolderMode = 0700;
constexpr mode_t othersMayWrite = S_IWGRP | S_IWOTH;
const QString socketName = QStringLiteral("vantorquill-taskd.socket");

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Each missing folder of path is made owner-only, whatever the umask.
bool CreateFolders(const QString& path, QString* error)
{
    QString made;
    for (const QString& part : QDir::cleanPath(QDir(path).absolutePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(made).constData(), privateFolderMode) != 0 && errno != EEXIST) {
            if (error != nullptr)
                *error = QStringLiteral("Cannot create the folder \"%1\": %2").arg(made, SystemError());
            return false;
        }
    }
    return true;
}

void MakeFolder(const QString& path)
{
    QString error;
    if (!CreateFolders(path, &error))
        throw EStoreError(error);
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

QString TTaskStore::RunnerLockPath() const
{
    return FRoot + QStringLiteral("/runner.lock");
}

QString TTaskStore::RunFolder() const
{
    const QString inStore = FRoot + QStringLiteral("/run");
    if (QFile::encodeName(inStore + QLatin1Char('/') + socketName).size() <= MaxSocketPathBytes)
        return inStore;
    const QByteArray name =
        QCryptographicHash::hash(QFile::encodeName(QDir::cleanPath(QDir(FRoot).absolutePath())), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QStringLiteral("/run/user/%1/vantorquill-taskd-%2").arg(::geteuid()).arg(QString::fromLatin1(name));
}

QString TTaskStore::SocketPath() const
{
    return RunFolder() + QLatin1Char('/') + socketName;
}

bool TTaskStore::MakePrivateFolder(const QString& folder, QString* error)
{
    if (!CreateFolders(folder, error))
        return false;
    struct stat info {};
    const QByteArray path = QFile::encodeName(folder);
    QString problem;
    if (::lstat(path.constData(), &info) != 0)
        problem = SystemError();
    else if (!S_ISDIR(info.st_mode))
        problem = QStringLiteral("it is not a folder");
    else if (info.st_uid != ::geteuid())
        problem = QStringLiteral("it is not the user's own");
    else if ((info.st_mode & 077) != 0 && ::chmod(path.constData(), privateFolderMode) != 0)
        problem = SystemError();
    if (!problem.isEmpty() && error != nullptr)
        *error = QStringLiteral("The folder \"%1\" cannot be used: %2").arg(folder, problem);
    return problem.isEmpty();
}

void TTaskStore::WarnOpenFolders()
{
    for (const QString& folder : {FRoot, Folder(tkTask20), Folder(tkJob10), StateFolder()}) {
        struct stat info {};
        if (::lstat(QFile::encodeName(folder).constData(), &info) != 0 || (info.st_mode & othersMayWrite) == 0)
            continue;
        const QString text = QStringLiteral("The folder \"%1\" of the task store is writable by group or others.").arg(folder);
        if (FWarned.contains(text))
            continue;
        FWarned.insert(text);
        TLog::GetLogger()->Log(llWarn, text);
        AppendLog(QStringLiteral("[warn] ") + text);
    }
}

TTaskStore::TStamp TTaskStore::StampOf(const QString& file)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(file).constData(), &info) != 0)
        return {};
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size), qint64(info.st_mtim.tv_sec),
            qint64(info.st_mtim.tv_nsec), qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec)};
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
    // The rule of cron and ssh: only the user's own file, which nobody else
    // may change, is run as the user.
    const int handle = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        error = errno == ELOOP ? QStringLiteral("it is a symbolic link") : SystemError();
        return false;
    }
    QFile input;
    input.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat info {};
    if (::fstat(handle, &info) != 0)
        error = SystemError();
    else if (!S_ISREG(info.st_mode))
        error = QStringLiteral("it is not a regular file");
    else if (info.st_uid != ::geteuid())
        error = QStringLiteral("it is not owned by the user");
    else if ((info.st_mode & othersMayWrite) != 0)
        error = QStringLiteral("it is writable by group or others");
    else if (info.st_size > MaxTaskFileBytes)
        error = QStringLiteral("it is larger than %1 bytes").arg(MaxTaskFileBytes);
    if (!error.isEmpty())
        return false;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(input.read(MaxTaskFileBytes), &parseError);
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
        CheckName(task.Name);
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
    QSet<QString> seen;
    // A file is read again only when it changed.
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::System, QDir::Name)) {
        const QString file = folder.filePath(name);
        const TStamp stamp = StampOf(file);
        seen.insert(file);
        auto cached = FFiles.find(file);
        if (cached == FFiles.end() || !(cached->Stamp == stamp) || stamp.Size < 0) {
            TFileEntry entry;
            entry.File = file;
            QString error;
            if (!ReadFile(file, kind, entry.Task, error)) {
                entry.Damaged = true;
                entry.Task = TStoredTask();
                Warn(file, error);
            }
            cached = FFiles.insert(file, TCachedFile{stamp, entry});
        }
        TFileEntry entry = cached->Entry;
        // Callers may change what they get: the cache keeps its own.
        if (entry.Task.Definition)
            entry.Task.Definition = entry.Task.Definition->Clone();
        entries << entry;
    }
    const QString prefix = folder.path() + QLatin1Char('/');
    for (auto it = FFiles.begin(); it != FFiles.end();) {
        if (it.key().startsWith(prefix) && !seen.contains(it.key()))
            it = FFiles.erase(it);
        else
            ++it;
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

QByteArray TTaskStore::ReadStateBytes(const QString& file) const
{
    const TStamp stamp = StampOf(file);
    const auto cached = FStates.constFind(file);
    if (cached != FStates.constEnd() && cached->Stamp == stamp)
        return cached->Bytes;
    QFile input(file);
    const QByteArray bytes = input.open(QIODevice::ReadOnly) ? input.read(MaxTaskFileBytes) : QByteArray();
    FStates.insert(file, TCachedState{stamp, bytes});
    return bytes;
}

TRunState TTaskStore::ReadState(TTaskKind kind, const QString& name) const
{
    TRunState state;
    const QByteArray bytes = ReadStateBytes(StateFileOf(kind, name) + QStringLiteral(".json"));
    if (bytes.isEmpty())
        return state;
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    state.LastRunTime = ParseDate(json.value(QLatin1String("lastRunTime")));
    state.HasRun = state.LastRunTime.isValid();
    state.LastResult = json.value(QLatin1String("lastResult")).toInt(state.LastResult);
    state.Running = json.value(QLatin1String("running")).toBool();
    state.Pid = json.value(QLatin1String("pid")).toInteger();
    state.PidStart = json.value(QLatin1String("pidStart")).toInteger();
    state.LastCheck = ParseDate(json.value(QLatin1String("lastCheck")));
    state.ExpiredSince = ParseDate(json.value(QLatin1String("expiredSince")));
    return state;
}

void TTaskStore::WriteState(TTaskKind kind, const QString& name, const TRunState& state)
{
    const QString file = StateFileOf(kind, name) + QStringLiteral(".json");
    const QJsonObject json{{"lastRunTime", DateText(state.LastRunTime)},
                           {"lastResult", state.LastResult},
                           {"running", state.Running},
                           {"pid", double(state.Pid)},
                           {"pidStart", double(state.PidStart)},
                           {"lastCheck", DateText(state.LastCheck)},
                           {"expiredSince", DateText(state.ExpiredSince)}};
    const QByteArray bytes = QJsonDocument(json).toJson(QJsonDocument::Indented);
    // A state the file holds already is not written again.
    if (ReadStateBytes(file) == bytes)
        return;
    WriteJson(file, json);
    FStates.insert(file, TCachedState{StampOf(file), bytes});
}

void TTaskStore::RemoveState(TTaskKind kind, const QString& name)
{
    const QString file = StateFileOf(kind, name) + QStringLiteral(".json");
    FStates.remove(file);
    QFile::remove(file);
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
    if (!CreateFolders(FRoot, nullptr))
        return;
    QFile file(RunnerLog());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.setPermissions(ownerOnly);
    file.write((QLatin1Char('[') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss:zzz"))
                + QStringLiteral("] ") + EscapeLogText(line) + QLatin1Char('\n'))
                   .toUtf8());
}

}  // namespace tasksched

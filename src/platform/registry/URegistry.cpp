#include "URegistry.h"

#include "base/ULog.h"
#include "base/USystemUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const FormatName = "Corvanta registry";
const int FormatVersion = 1;

struct TRegValue {
    QString Name;
    TRegDataType Type = TRegDataType::rdString;
    QString Text;
    qint32 Number = 0;
};

// Where the entry named name (letter case aside) stands in list; -1 when missing.
template <class List>
qsizetype IndexOfName(const List& list, const QString& name)
{
    for (qsizetype i = 0; i < qsizetype(list.size()); ++i) {
        if (list[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

struct TRegNode {
    QString Name;
    QList<TRegValue> Values;
    std::vector<TRegNode> Keys;

    TRegNode* FindKey(const QString& name)
    {
        const qsizetype at = IndexOfName(Keys, name);
        return at < 0 ? nullptr : &Keys[at];
    }

    TRegValue* FindValue(const QString& name)
    {
        const qsizetype at = IndexOfName(Values, name);
        return at < 0 ? nullptr : &Values[at];
    }
};

// A whole number in the range of a 32-bit integer (casting any other double
// to one is undefined).
bool IsInt32(double number)
{
    return number >= INT32_MIN && number <= INT32_MAX && number == std::trunc(number);
}

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// ---- file format: JSON, one object per key ----

QJsonObject NodeToJson(const TRegNode& node)
{
    QJsonArray values;
    for (const TRegValue& value : node.Values) {
        QJsonObject v;
        v.insert(QStringLiteral("name"), value.Name);
        if (value.Type == TRegDataType::rdInteger) {
            v.insert(QStringLiteral("type"), QStringLiteral("integer"));
            v.insert(QStringLiteral("data"), value.Number);
        } else {
            v.insert(QStringLiteral("type"), QStringLiteral("string"));
            v.insert(QStringLiteral("data"), value.Text);
        }
        values.append(v);
    }
    QJsonArray keys;
    for (const TRegNode& key : node.Keys) {
        QJsonObject k = NodeToJson(key);
        k.insert(QStringLiteral("name"), key.Name);
        keys.append(k);
    }
    QJsonObject o;
    o.insert(QStringLiteral("values"), values);
    o.insert(QStringLiteral("keys"), keys);
    return o;
}

bool NodeFromJson(const QJsonObject& o, TRegNode& node, QString& error)
{
    const QJsonValue values = o.value(QStringLiteral("values"));
    const QJsonValue keys = o.value(QStringLiteral("keys"));
    if (!values.isArray() || !keys.isArray()) {
        error = QStringLiteral("key \"") + node.Name + QStringLiteral("\" lacks its lists");
        return false;
    }
    for (const QJsonValue& item : values.toArray()) {
        const QJsonObject v = item.toObject();
        const QJsonValue name = v.value(QStringLiteral("name"));
        const QString type = v.value(QStringLiteral("type")).toString();
        const QJsonValue data = v.value(QStringLiteral("data"));
        TRegValue value;
        value.Name = name.toString();
        if (!name.isString() || node.FindValue(value.Name)) {
            error = QStringLiteral("bad value name in key \"") + node.Name + QLatin1Char('"');
            return false;
        }
        if (type == QStringLiteral("string") && data.isString()) {
            value.Type = TRegDataType::rdString;
            value.Text = data.toString();
        } else if (type == QStringLiteral("integer") && data.isDouble() && IsInt32(data.toDouble())) {
            value.Type = TRegDataType::rdInteger;
            value.Number = static_cast<qint32>(data.toDouble());
        } else {
            error = QStringLiteral("bad value \"") + value.Name + QStringLiteral("\" in key \"") + node.Name
                    + QLatin1Char('"');
            return false;
        }
        node.Values.append(value);
    }
    for (const QJsonValue& item : keys.toArray()) {
        const QJsonObject k = item.toObject();
        const QJsonValue name = k.value(QStringLiteral("name"));
        if (!name.isString() || name.toString().isEmpty() || name.toString().contains(QLatin1Char('\\'))
            || node.FindKey(name.toString())) {
            error = QStringLiteral("bad subkey name in key \"") + node.Name + QLatin1Char('"');
            return false;
        }
        TRegNode child;
        child.Name = name.toString();
        if (!NodeFromJson(k, child, error))
            return false;
        node.Keys.push_back(std::move(child));
    }
    return true;
}

bool ParseStore(const QByteArray& bytes, TRegNode& root, QString& error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = parseError.errorString() + QStringLiteral(" at offset ") + QString::number(parseError.offset);
        return false;
    }
    const QJsonObject top = document.object();
    if (top.value(QStringLiteral("format")).toString() != QLatin1String(FormatName)
        || top.value(QStringLiteral("version")).toInt() != FormatVersion
        || !top.value(QStringLiteral("root")).isObject()) {
        error = QStringLiteral("not a registry file of version ") + QString::number(FormatVersion);
        return false;
    }
    return NodeFromJson(top.value(QStringLiteral("root")).toObject(), root, error);
}

QByteArray SerializeStore(const TRegNode& root)
{
    QJsonObject top;
    top.insert(QStringLiteral("format"), QLatin1String(FormatName));
    top.insert(QStringLiteral("version"), FormatVersion);
    top.insert(QStringLiteral("root"), NodeToJson(root));
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

}  // namespace

// ---- one locked view of the store ----

class TRegistry::TStore {
public:
    explicit TStore(const QString& fileName) : FFileName(fileName)
    {
        if (FFileName.isEmpty())
            return;
        const QString folder = QFileInfo(FFileName).absolutePath();
        if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        Lock();
        Load();
    }

    ~TStore()
    {
        if (FLock >= 0)
            ::close(FLock);   // releases the lock
    }

    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;

    TRegNode Root;
    bool Dirty = false;

    // The node of path; created when create is set (marking the store dirty).
    TRegNode* Find(const QStringList& path, bool create)
    {
        TRegNode* node = &Root;
        for (const QString& name : path) {
            TRegNode* next = node->FindKey(name);
            if (!next) {
                if (!create)
                    return nullptr;
                TRegNode child;
                child.Name = name;
                node->Keys.push_back(std::move(child));
                next = &node->Keys.back();
                Dirty = true;
            }
            node = next;
        }
        return node;
    }

    void Save()
    {
        if (FFileName.isEmpty())
            throw ERegistryException(QStringLiteral("The registry has no file: there is no home folder"));
        if (FLock < 0)
            throw ERegistryException(Failure(QStringLiteral("Cannot lock the registry file"), FLockError));
        const QByteArray pattern = QFile::encodeName(FFileName + QStringLiteral(".XXXXXX"));
        std::vector<char> temp(pattern.constData(), pattern.constData() + pattern.size() + 1);
        const int fd = ::mkstemp(temp.data());
        if (fd < 0)
            throw ERegistryException(Failure(QStringLiteral("Cannot write the registry file"), errno));
        ::fchmod(fd, S_IRUSR | S_IWUSR);
        const bool ok = WriteAll(fd, SerializeStore(Root)) && ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        if (!ok || ::rename(temp.data(), QFile::encodeName(FFileName).constData()) != 0) {
            const int renameError = ok ? errno : error;
            ::unlink(temp.data());
            throw ERegistryException(Failure(QStringLiteral("Cannot write the registry file"), renameError));
        }
        Dirty = false;
    }

private:
    QString Failure(const QString& what, int error) const
    {
        return what + QStringLiteral(" \"") + FFileName + QStringLiteral("\": ") + SystemError(error);
    }

    void Lock()
    {
        const QByteArray lockName = QFile::encodeName(FFileName + QStringLiteral(".lock"));
        FLock = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (FLock < 0) {
            FLockError = errno;
            return;   // reads go on unlocked; a write raises
        }
        while (::flock(FLock, LOCK_EX) != 0) {
            if (errno != EINTR) {
                FLockError = errno;
                ::close(FLock);
                FLock = -1;
                return;
            }
        }
    }

    void Load()
    {
        QFile file(FFileName);
        if (!file.exists())
            return;
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            error = file.errorString();
        } else {
            const QByteArray bytes = file.readAll();
            file.close();
            if (ParseStore(bytes, Root, error))
                return;
        }
        Root = TRegNode();
        KeepAside(error);
    }

    // A damaged file is kept for inspection under a new name, never overwritten.
    void KeepAside(const QString& reason)
    {
        QString aside;
        if (FLock >= 0) {
            const QString stem = FFileName + QStringLiteral(".damaged-")
                                 + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
            aside = stem;
            for (int n = 2; QFileInfo::exists(aside); ++n)
                aside = stem + QLatin1Char('-') + QString::number(n);
            if (!QFile::rename(FFileName, aside))
                aside.clear();
        }
        QString message = QStringLiteral("The registry file \"") + FFileName + QStringLiteral("\" is damaged (")
                          + reason + QStringLiteral("); the settings start empty");
        if (!aside.isEmpty())
            message += QStringLiteral(" and the damaged file was kept as \"") + aside + QLatin1Char('"');
        TLog::GetLogger()->Log(llWarn, message);
    }

    QString FFileName;
    int FLock = -1;
    int FLockError = 0;
};

// ---- TRegistry ----

TRegistry::TRegistry(const QString& fileName) : FFileName(fileName.isEmpty() ? DefaultFileName() : fileName) {}

TRegistry::~TRegistry() = default;

QString TRegistry::DefaultFileName()
{
    const QString config = GetConfigDir();
    return config.isEmpty() ? QString() : config + QStringLiteral("/Corvanta/registry");
}

template <class F>
auto TRegistry::WithStore(F&& fn)
{
    if (FUpdate)
        return fn(*FUpdate);
    TStore store(FFileName);
    auto result = fn(store);
    if (store.Dirty)
        store.Save();
    return result;
}

TRegistry::TKeyPath TRegistry::Resolve(const QString& key) const
{
    TKeyPath path;
    QString rest = key;
    if (rest.startsWith(QLatin1Char('\\')))
        rest.remove(0, 1);
    else
        path.names = FCurrent;
    if (rest.endsWith(QLatin1Char('\\')))
        rest.chop(1);
    if (!rest.isEmpty()) {
        for (const QString& name : rest.split(QLatin1Char('\\'))) {
            if (name.isEmpty())
                return path;   // "a\\b": not a key path
            path.names << name;
        }
    }
    path.valid = true;
    return path;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const TKeyPath path = Resolve(key);
    if (!path.valid)
        return false;
    bool found = false;
    try {
        found = WithStore([&](TStore& store) { return store.Find(path.names, canCreate) != nullptr; });
    } catch (const ERegistryException&) {
        return false;   // could not be created
    }
    if (found) {
        FCurrent = path.names;
        FReadOnly = false;
    }
    return found;
}

bool TRegistry::OpenKeyReadOnly(const QString& key)
{
    const bool found = OpenKey(key, false);
    if (found)
        FReadOnly = true;
    return found;
}

void TRegistry::CloseKey()
{
    FCurrent.clear();
    FReadOnly = false;
}

QString TRegistry::CurrentPath() const
{
    return FCurrent.join(QLatin1Char('\\'));
}

bool TRegistry::KeyExists(const QString& key)
{
    const TKeyPath path = Resolve(key);
    return path.valid && WithStore([&](TStore& store) { return store.Find(path.names, false) != nullptr; });
}

bool TRegistry::CreateKey(const QString& key)
{
    const TKeyPath path = Resolve(key);
    if (!path.valid)
        return false;
    try {
        return WithStore([&](TStore& store) { return store.Find(path.names, true) != nullptr; });
    } catch (const ERegistryException&) {
        return false;
    }
}

bool TRegistry::DeleteKey(const QString& key)
{
    const TKeyPath path = Resolve(key);
    if (!path.valid || path.names.isEmpty())
        return false;   // the root stays
    return WithStore([&](TStore& store) {
        TRegNode* parent = store.Find(path.names.mid(0, path.names.size() - 1), false);
        const qsizetype at = parent ? IndexOfName(parent->Keys, path.names.back()) : -1;
        if (at < 0)
            return false;
        parent->Keys.erase(parent->Keys.begin() + at);
        store.Dirty = true;
        return true;
    });
}

QStringList TRegistry::GetKeyNames()
{
    QStringList names = WithStore([&](TStore& store) {
        QStringList result;
        if (const TRegNode* node = store.Find(FCurrent, false)) {
            for (const TRegNode& key : node->Keys)
                result << key.Name;
        }
        return result;
    });
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QStringList TRegistry::GetValueNames()
{
    return WithStore([&](TStore& store) {
        QStringList result;
        if (const TRegNode* node = store.Find(FCurrent, false)) {
            for (const TRegValue& value : node->Values)
                result << value.Name;
        }
        return result;
    });
}

bool TRegistry::HasSubKeys()
{
    return WithStore([&](TStore& store) {
        const TRegNode* node = store.Find(FCurrent, false);
        return node && !node->Keys.empty();
    });
}

bool TRegistry::ValueExists(const QString& name)
{
    return GetDataType(name) != TRegDataType::rdUnknown;
}

namespace {
// The value of that name in the key at path; nullptr when either is missing.
const TRegValue* ValueAt(TRegistry::TStore& store, const QStringList& path, const QString& name)
{
    TRegNode* node = store.Find(path, false);
    return node ? node->FindValue(name) : nullptr;
}
}

TRegDataType TRegistry::GetDataType(const QString& name)
{
    return WithStore([&](TStore& store) {
        const TRegValue* value = ValueAt(store, FCurrent, name);
        return value ? value->Type : TRegDataType::rdUnknown;
    });
}

QString TRegistry::ReadString(const QString& name)
{
    return WithStore([&](TStore& store) {
        const TRegValue* value = ValueAt(store, FCurrent, name);
        if (!value)
            return QString();
        if (value->Type != TRegDataType::rdString)
            throw ERegistryException(QStringLiteral("Registry value \"") + name + QStringLiteral("\" is not a string"));
        return value->Text;
    });
}

int TRegistry::ReadInteger(const QString& name)
{
    return WithStore([&](TStore& store) {
        const TRegValue* value = ValueAt(store, FCurrent, name);
        if (!value)
            throw ERegistryException(QStringLiteral("Registry value \"") + name + QStringLiteral("\" does not exist"));
        if (value->Type != TRegDataType::rdInteger)
            throw ERegistryException(QStringLiteral("Registry value \"") + name
                                     + QStringLiteral("\" is not an integer"));
        return static_cast<int>(value->Number);
    });
}

bool TRegistry::ReadBool(const QString& name)
{
    return ReadInteger(name) != 0;
}

void TRegistry::CheckWritable() const
{
    if (FReadOnly)
        throw ERegistryException(QStringLiteral("Registry key \"") + CurrentPath()
                                 + QStringLiteral("\" is open for reading only"));
}

namespace {
void PutValue(TRegNode& node, const TRegValue& data, bool& dirty)
{
    TRegValue* target = node.FindValue(data.Name);
    if (!target) {
        node.Values.append(data);
        dirty = true;
    } else if (target->Type != data.Type || target->Text != data.Text || target->Number != data.Number) {
        target->Type = data.Type;
        target->Text = data.Text;
        target->Number = data.Number;
        dirty = true;
    }
}
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    WriteValue(name, TRegDataType::rdString, value, 0);
}

void TRegistry::WriteInteger(const QString& name, int value)
{
    WriteValue(name, TRegDataType::rdInteger, QString(), value);
}

void TRegistry::WriteValue(const QString& name, TRegDataType type, const QString& text, int number)
{
    CheckWritable();
    TRegValue data;
    data.Name = name;
    data.Type = type;
    data.Text = text;
    data.Number = number;
    WithStore([&](TStore& store) {
        PutValue(*store.Find(FCurrent, true), data, store.Dirty);
        return true;
    });
}

void TRegistry::WriteBool(const QString& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::DeleteValue(const QString& name)
{
    CheckWritable();
    return WithStore([&](TStore& store) {
        TRegNode* node = store.Find(FCurrent, false);
        const qsizetype at = node ? IndexOfName(node->Values, name) : -1;
        if (at < 0)
            return false;
        node->Values.removeAt(at);
        store.Dirty = true;
        return true;
    });
}

void TRegistry::Update(const std::function<void()>& fn)
{
    if (FUpdate) {   // nested: part of the outer change
        fn();
        return;
    }
    TStore store(FFileName);
    FUpdate = &store;
    try {
        fn();
    } catch (...) {
        FUpdate = nullptr;
        throw;
    }
    FUpdate = nullptr;
    if (store.Dirty)
        store.Save();
}

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
#include <QSet>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <map>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

// False when a name equal to name (letter case aside) is in seen already.
bool InsertNew(QSet<QString>& seen, const QString& name)
{
    const qsizetype before = seen.size();
    seen.insert(name.toCaseFolded());
    return seen.size() != before;
}

// ---- file format: JSON, one object per key ----

// Names compare without regard to letter case: a hash of the folded names
// finds a duplicate in one pass.
bool NodeFromJson(const QJsonObject& o, TRegNode& node, QString& error)
{
    const QJsonValue values = o.value(QStringLiteral("values"));
    const QJsonValue keys = o.value(QStringLiteral("keys"));
    if (!values.isArray() || !keys.isArray()) {
        error = QStringLiteral("key \"") + node.Name + QStringLiteral("\" lacks its lists");
        return false;
    }
    const QJsonArray valueItems = values.toArray();
    QSet<QString> seen;
    seen.reserve(valueItems.size());
    node.Values.reserve(valueItems.size());
    for (const QJsonValue& item : valueItems) {
        const QJsonObject v = item.toObject();
        const QJsonValue name = v.value(QStringLiteral("name"));
        const QString type = v.value(QStringLiteral("type")).toString();
        const QJsonValue data = v.value(QStringLiteral("data"));
        TRegValue value;
        value.Name = name.toString();
        if (!name.isString() || !InsertNew(seen, value.Name)) {
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
    const QJsonArray keyItems = keys.toArray();
    seen.clear();
    seen.reserve(keyItems.size());
    node.Keys.reserve(keyItems.size());
    for (const QJsonValue& item : keyItems) {
        const QJsonObject k = item.toObject();
        const QJsonValue name = k.value(QStringLiteral("name"));
        if (!name.isString() || name.toString().isEmpty() || name.toString().contains(QLatin1Char('\\'))
            || !InsertNew(seen, name.toString())) {
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

// The file is written straight from the tree, in the layout of an indented
// QJsonDocument (its members sorted by name), a buffer at a time: a store of
// many keys is written in one pass, without a document or the whole text in
// memory.
class TStoreWriter {
public:
    explicit TStoreWriter(int fd) : FFile(fd) { FOut.reserve(BufferSize + BufferSize / 4); }

    // False when the file could not be written (errno tells why).
    bool Write(const TRegNode& root)
    {
        FOut += "{\n";
        Member(1, "format");
        String(QString::fromLatin1(FormatName));
        FOut += ",\n";
        Member(1, "root");
        Node(root, 1, false);
        FOut += ",\n";
        Member(1, "version");
        FOut += QByteArray::number(FormatVersion);
        FOut += "\n}\n";
        return Flush();
    }

private:
    static constexpr qsizetype BufferSize = 1 << 20;

    bool Flush()
    {
        FOk = FOk && WriteAll(FFile, FOut);
        FOut.resize(0);   // keeps the buffer's memory
        return FOk;
    }
    void Indent(int depth) { FOut.append(4 * depth, ' '); }

    void Member(int depth, const char* name)
    {
        Indent(depth);
        FOut += '"';
        FOut += name;
        FOut += "\": ";
    }

    // A lone surrogate has no UTF-8 form: it is written as the \u escape the
    // reader turns back into the same code unit, so the text reads back as
    // written. Every other text is written as UTF-8, as before.
    void String(const QString& text)
    {
        FOut += '"';
        qsizetype run = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (!c.isSurrogate())
                continue;
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            Escaped(QStringView(text).mid(run, i - run).toUtf8());
            FOut += "\\u";
            HexDigits(c.unicode(), 4);
            run = i + 1;
        }
        Escaped(QStringView(text).mid(run).toUtf8());
        FOut += '"';
    }

    void HexDigits(unsigned value, int count)
    {
        static const char hex[] = "0123456789abcdef";
        for (int shift = 4 * (count - 1); shift >= 0; shift -= 4)
            FOut += hex[(value >> shift) & 0xF];
    }

    void Escaped(const QByteArray& utf8)
    {
        for (const char c : utf8) {
            switch (c) {
            case '"': FOut += "\\\""; break;
            case '\\': FOut += "\\\\"; break;
            case '\b': FOut += "\\b"; break;
            case '\f': FOut += "\\f"; break;
            case '\n': FOut += "\\n"; break;
            case '\r': FOut += "\\r"; break;
            case '\t': FOut += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    FOut += "\\u00";
                    HexDigits(static_cast<unsigned char>(c), 2);
                } else {
                    FOut += c;
                }
            }
        }
    }

    // An array's items, each by item(), in the layout of "[ ... ]".
    template <class List, class Item>
    void Array(const List& list, int depth, Item item)
    {
        FOut += "[\n";
        bool first = true;
        for (const auto& entry : list) {
            if (!first)
                FOut += ",\n";
            first = false;
            Indent(depth + 1);
            item(entry);
            if (FOut.size() >= BufferSize && !Flush())
                return;
        }
        if (!first)
            FOut += '\n';
        Indent(depth);
        FOut += ']';
    }

    void Value(const TRegValue& value, int depth)
    {
        FOut += "{\n";
        Member(depth + 1, "data");
        if (value.Type == TRegDataType::rdInteger)
            FOut += QByteArray::number(value.Number);
        else
            String(value.Text);
        FOut += ",\n";
        Member(depth + 1, "name");
        String(value.Name);
        FOut += ",\n";
        Member(depth + 1, "type");
        FOut += value.Type == TRegDataType::rdInteger ? "\"integer\"" : "\"string\"";
        FOut += '\n';
        Indent(depth);
        FOut += '}';
    }

    // named: a subkey, which carries its name; the root does not.
    void Node(const TRegNode& node, int depth, bool named)
    {
        FOut += "{\n";
        Member(depth + 1, "keys");
        Array(node.Keys, depth + 1, [&](const TRegNode& key) { Node(key, depth + 2, true); });
        FOut += ",\n";
        if (named) {
            Member(depth + 1, "name");
            String(node.Name);
            FOut += ",\n";
        }
        Member(depth + 1, "values");
        Array(node.Values, depth + 1, [&](const TRegValue& value) { Value(value, depth + 2); });
        FOut += '\n';
        Indent(depth);
        FOut += '}';
    }

    int FFile;
    bool FOk = true;
    QByteArray FOut;
};


// What identifies one version of a file: a write through a temporary file
// and a rename gives a new inode, a write in place a new size or time.
struct TFileStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified {};
    timespec Changed {};

    bool operator==(const TFileStamp& other) const
    {
        return Device == other.Device && Inode == other.Inode && Size == other.Size
               && Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec
               && Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
    }
};

// False when the file (reached through links) is missing.
bool StampFile(const QString& fileName, TFileStamp& stamp)
{
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return false;
    stamp.Device = info.st_dev;
    stamp.Inode = info.st_ino;
    stamp.Size = info.st_size;
    stamp.Modified = info.st_mtim;
    stamp.Changed = info.st_ctim;
    return true;
}

// The stores this process has read, as it last read or wrote them: a file
// that has not changed since is not parsed again. A tree is only used under
// the store's file lock, which also keeps threads of this process apart.
class TParsedStores {
public:
    static TParsedStores& Instance()
    {
        static TParsedStores stores;
        return stores;
    }

    std::shared_ptr<TRegNode> Find(const QString& fileName, const TFileStamp& stamp)
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        const auto it = FStores.find(fileName);
        if (it == FStores.end() || !(it->second.Stamp == stamp))
            return nullptr;
        return it->second.Root;
    }

    void Keep(const QString& fileName, const TFileStamp& stamp, std::shared_ptr<TRegNode> root)
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        FStores[fileName] = TEntry {stamp, std::move(root)};
    }

    void Forget(const QString& fileName)
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        FStores.erase(fileName);
    }

    // True the first time for fileName in this process.
    bool FirstOpen(const QString& fileName)
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        return FOpened.insert(fileName).second;
    }

    void AddDamageNotice(const QString& text)
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        FDamageNotices << text;
    }

    QStringList TakeDamageNotices()
    {
        const std::lock_guard<std::mutex> guard(FMutex);
        return std::exchange(FDamageNotices, QStringList());
    }

private:
    struct TEntry {
        TFileStamp Stamp;
        std::shared_ptr<TRegNode> Root;
    };
    std::mutex FMutex;
    std::map<QString, TEntry> FStores;
    std::set<QString> FOpened;
    QStringList FDamageNotices;
};

// The file a chain of symbolic links ends at (fileName itself when it is no
// link), so that a save replaces the target and the links stay.
QString LinkTarget(const QString& fileName)
{
    const int maxLinks = 40;   // the system's own limit for a path
    QString path = fileName;
    for (int i = 0; i < maxLinks && QFileInfo(path).isSymLink(); ++i)
        path = QFileInfo(path).symLinkTarget();
    return path;
}

const mode_t ownerOnlyFile = S_IRUSR | S_IWUSR;
const mode_t ownerOnlyFolder = S_IRWXU;
const mode_t writableByOthers = S_IWGRP | S_IWOTH;

// Takes write access from group and others; true when it had to.
bool MakeOwnerOnly(const QString& path, mode_t ownerOnly)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0 || (info.st_mode & writableByOthers) == 0)
        return false;
    return ::chmod(name.constData(), ownerOnly) == 0;
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
        if (TParsedStores::Instance().FirstOpen(FFileName))
            TightenModes(folder);
        Lock();
        Load();
    }

    ~TStore()
    {
        // Changes that were not saved must not outlive this view in the
        // process's copy of the store.
        if (Dirty && FShared)
            TParsedStores::Instance().Forget(FFileName);
        if (FLock >= 0)
            ::close(FLock);   // releases the lock
    }

    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;

    bool Dirty = false;

    // The node of path; created when create is set (marking the store dirty).
    TRegNode* Find(const QStringList& path, bool create)
    {
        TRegNode* node = FRoot.get();
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
        // Through a symbolic link the target is replaced, beside itself.
        const QString target = LinkTarget(FFileName);
        const QByteArray pattern = QFile::encodeName(target + QStringLiteral(".XXXXXX"));
        std::vector<char> temp(pattern.constData(), pattern.constData() + pattern.size() + 1);
        const int fd = ::mkstemp(temp.data());
        if (fd < 0)
            throw ERegistryException(Failure(QStringLiteral("Cannot write the registry file"), errno));
        ::fchmod(fd, ownerOnlyFile);
        const bool ok = TStoreWriter(fd).Write(*FRoot) && ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        if (!ok || ::rename(temp.data(), QFile::encodeName(target).constData()) != 0) {
            const int renameError = ok ? errno : error;
            ::unlink(temp.data());
            throw ERegistryException(Failure(QStringLiteral("Cannot write the registry file"), renameError));
        }
        TFileStamp stamp;
        if (StampFile(FFileName, stamp)) {
            TParsedStores::Instance().Keep(FFileName, stamp, FRoot);
            FShared = true;
        }
        Dirty = false;
    }

private:
    QString Failure(const QString& what, int error) const
    {
        return what + QStringLiteral(" \"") + FFileName + QStringLiteral("\": ") + SystemError(error);
    }

    // A store that others may write could be made to hold their settings.
    void TightenModes(const QString& folder) const
    {
        const auto warn = [](const QString& path) {
            TLog::GetLogger()->Log(llWarn, QStringLiteral("The settings ") + path
                                               + QStringLiteral(" could be written by other users; it is now the "
                                                                "owner's only"));
        };
        if (MakeOwnerOnly(folder, ownerOnlyFolder))
            warn(QStringLiteral("folder \"") + folder + QLatin1Char('"'));
        if (MakeOwnerOnly(FFileName, ownerOnlyFile))
            warn(QStringLiteral("file \"") + FFileName + QLatin1Char('"'));
    }

    void Lock()
    {
        // A link in place of the lock file could make the store lock, and
        // create, a file elsewhere.
        const QByteArray lockName = QFile::encodeName(FFileName + QStringLiteral(".lock"));
        FLock = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, ownerOnlyFile);
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
        FRoot = std::make_shared<TRegNode>();
        TFileStamp stamp;
        if (!StampFile(FFileName, stamp)) {
            TParsedStores::Instance().Forget(FFileName);
            return;
        }
        // Unlocked, another process may be writing: nothing is kept then.
        if (FLock >= 0) {
            if (std::shared_ptr<TRegNode> parsed = TParsedStores::Instance().Find(FFileName, stamp)) {
                FRoot = std::move(parsed);
                FShared = true;
                return;
            }
        }
        QFile file(FFileName);
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            error = file.errorString();
        } else {
            const QByteArray bytes = file.readAll();
            file.close();
            if (ParseStore(bytes, *FRoot, error)) {
                if (FLock >= 0) {
                    TParsedStores::Instance().Keep(FFileName, stamp, FRoot);
                    FShared = true;
                }
                return;
            }
        }
        FRoot = std::make_shared<TRegNode>();
        TParsedStores::Instance().Forget(FFileName);
        KeepAside(error);
    }

    // A damaged file is kept for inspection under a new name, never
    // overwritten; behind a link, the target is, and the link stays.
    void KeepAside(const QString& reason)
    {
        QString aside;
        if (FLock >= 0) {
            const QString target = LinkTarget(FFileName);
            const QString stem = target + QStringLiteral(".damaged-")
                                 + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
            aside = stem;
            for (int n = 2; QFileInfo::exists(aside); ++n)
                aside = stem + QLatin1Char('-') + QString::number(n);
            if (!QFile::rename(target, aside))
                aside.clear();
        }
        QString message = QStringLiteral("The registry file \"") + FFileName + QStringLiteral("\" is damaged (")
                          + reason + QStringLiteral("); the settings start empty");
        if (!aside.isEmpty()) {
            message += QStringLiteral(" and the damaged file was kept as \"") + aside + QLatin1Char('"');
            TParsedStores::Instance().AddDamageNotice(
                QStringLiteral("The settings file %1 was damaged. It was kept as %2 and the settings start empty.")
                    .arg(FFileName, aside));
        }
        TLog::GetLogger()->Log(llWarn, message);
    }

    QString FFileName;
    std::shared_ptr<TRegNode> FRoot = std::make_shared<TRegNode>();   // without a file: empty, in memory
    // FRoot is the process's copy of the store.
    bool FShared = false;
    int FLock = -1;
    int FLockError = 0;
};

// ---- TRegistry ----

TRegistry::TRegistry(const QString& fileName) : FFileName(fileName.isEmpty() ? DefaultFileName() : fileName) {}

TRegistry::~TRegistry() = default;

QStringList TRegistry::OpenAtStart(const QString& fileName)
{
    TRegistry registry(fileName);
    if (!registry.FileName().isEmpty())
        registry.KeyExists(QStringLiteral("\\"));
    return TParsedStores::Instance().TakeDamageNotices();
}

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

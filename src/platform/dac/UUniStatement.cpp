#include "UUniStatement.h"

#include "UParam.h"
#include "UUniConnection.h"
#include "UUniError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mysql.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The server's own text for a long value over max_allowed_packet, so that a
// value refused before sending reads the same as one refused by the server.
const char* const LongDataTooLarge =
    "Parameter of prepared statement which is set through mysql_send_long_data() is longer than "
    "'max_allowed_packet' bytes";
constexpr unsigned ErUnknownError = 1105;

void FillTime(MYSQL_TIME& time, const QDateTime& value, enum_mysql_timestamp_type type)
{
    time = MYSQL_TIME();
    const QDate date = value.date();
    const QTime clock = value.time();
    if (type != MYSQL_TIMESTAMP_TIME) {
        time.year = unsigned(date.year());
        time.month = unsigned(date.month());
        time.day = unsigned(date.day());
    }
    if (type != MYSQL_TIMESTAMP_DATE) {
        time.hour = unsigned(clock.hour());
        time.minute = unsigned(clock.minute());
        time.second = unsigned(clock.second());
        time.second_part = (unsigned long)(clock.msec()) * 1000;
    }
    time.time_type = type;
}

// A file read with plain system calls: an import sends one per row, and
// open/fstat/read/close is all a value needs.
class TSourceFile {
public:
    explicit TSourceFile(const QString& fileName) : FName(fileName)
    {
        FHandle = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0)
            Fail(QStringLiteral("Cannot open file \"%1\". %2"));
        struct stat info {};
        if (::fstat(FHandle, &info) != 0)
            Fail(QStringLiteral("Cannot open file \"%1\". %2"));
        FSize = qint64(info.st_size);
    }
    TSourceFile(TSourceFile&& other) noexcept
        : FName(std::move(other.FName)), FHandle(std::exchange(other.FHandle, -1)), FSize(other.FSize)
    {
    }
    ~TSourceFile()
    {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TSourceFile& operator=(TSourceFile&&) = delete;

    qint64 Size() const { return FSize; }

    // Up to size bytes; 0 at the end of the file.
    qint64 Read(char* buffer, qint64 size)
    {
        for (;;) {
            const ssize_t got = ::read(FHandle, buffer, size_t(size));
            if (got >= 0)
                return qint64(got);
            if (errno != EINTR)
                Fail(QStringLiteral("Read error on file \"%1\". %2"));
        }
    }

    // The whole file, which must still have the size fstat gave, into a buffer
    // that is reused from value to value: fresh memory per file would be
    // mapped and faulted in anew every time.
    void ReadAll(QByteArray& data)
    {
        data.resize(FSize);
        qint64 done = 0;
        while (done < FSize) {
            const qint64 got = Read(data.data() + done, FSize - done);
            if (got == 0)
                throw EInOutError(QStringLiteral("Read error on file \"%1\". The file became shorter while it was read")
                                      .arg(FName));
            done += got;
        }
    }

private:
    [[noreturn]] void Fail(const QString& format)
    {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        throw EInOutError(format.arg(FName, reason));
    }

    QString FName;
    int FHandle = -1;
    qint64 FSize = 0;
};

// A value that goes ahead of the execution in chunks: bytes in memory, or a
// file kept open from its size check to its last chunk.
struct TLongValue {
    unsigned Index = 0;
    QByteArray Bytes;
    std::optional<TSourceFile> File;
    std::shared_ptr<const TValueSource> Source;
};

}  // namespace

struct TUniStatement::TBoundValue {
    QByteArray Bytes;   // text, bytes, or a file up to one chunk
    unsigned long Length = 0;
    MYSQL_TIME Time{};
    long long Integer = 0;
    double Float = 0;
};

TUniStatement::TUniStatement(TUniConnection& connection) : FConnection(connection)
{
}

TUniStatement::~TUniStatement()
{
    Abandon();
}

void TUniStatement::Abandon()
{
    if (FHandle) {
        mysql_stmt_close(FHandle);
        FHandle = nullptr;
    }
}

bool TUniStatement::IsAlive() const
{
    return FHandle && FConnection.Connected() && FGeneration == FConnection.Generation();
}

void TUniStatement::RaiseError()
{
    const unsigned code = mysql_stmt_errno(FHandle);
    const QString message = FConnection.DecodeText(mysql_stmt_error(FHandle), -1);
    const QString state = QString::fromLatin1(mysql_stmt_sqlstate(FHandle));
    FConnection.RaiseError(code, message, state);
}

void TUniStatement::Prepare(const QByteArray& sql)
{
    Abandon();
    MYSQL* handle = FConnection.CheckedHandle();
    FHandle = mysql_stmt_init(handle);
    if (!FHandle)
        FConnection.RaiseLastError();
    FGeneration = FConnection.Generation();
    if (mysql_stmt_prepare(FHandle, sql.constData(), (unsigned long)(sql.size())) != 0) {
        const unsigned code = mysql_stmt_errno(FHandle);
        const QString message = FConnection.DecodeText(mysql_stmt_error(FHandle), -1);
        const QString state = QString::fromLatin1(mysql_stmt_sqlstate(FHandle));
        Abandon();
        FConnection.RaiseError(code, message, state);
    }
}

unsigned TUniStatement::ParamCount() const
{
    return FHandle ? unsigned(mysql_stmt_param_count(FHandle)) : 0;
}

unsigned TUniStatement::FieldCount() const
{
    return FHandle ? mysql_stmt_field_count(FHandle) : 0;
}

MYSQL_RES* TUniStatement::ResultMetadata() const
{
    return FHandle ? mysql_stmt_result_metadata(FHandle) : nullptr;
}

qint64 TUniStatement::AffectedRows() const
{
    return FHandle ? qint64(mysql_stmt_affected_rows(FHandle)) : 0;
}

qint64 TUniStatement::InsertId() const
{
    return FHandle ? qint64(mysql_stmt_insert_id(FHandle)) : 0;
}

void TUniStatement::Execute(const std::vector<const TParam*>& params)
{
    if (!IsAlive())
        throw EUniError(QStringLiteral("The statement is not prepared"));
    const size_t count = params.size();
    if (count != ParamCount())
        throw EUniError(QStringLiteral("The statement expects %1 parameters, %2 given")
                            .arg(ParamCount()).arg(count));
    FValues.resize(count);
    FBinds.assign(count, MYSQL_BIND());
    std::vector<TLongValue> longValues;
    const qint64 limit = FConnection.MaxAllowedPacket();
    auto checkLimit = [limit](qint64 size) {
        if (limit > 0 && size > limit)
            throw EUniError(QString::fromLatin1(LongDataTooLarge), ErUnknownError);
    };

    // Text keeps its string type when sent in chunks too: the server then
    // converts it from the session's character set like a short one.
    auto bindBytes = [&](size_t i, enum_field_types type) {
        TBoundValue& value = FValues[i];
        MYSQL_BIND& bind = FBinds[i];
        bind.buffer_type = type;
        if (value.Bytes.size() > ChunkSize) {
            checkLimit(value.Bytes.size());
            longValues.push_back({unsigned(i), std::exchange(value.Bytes, {}), {}, {}});
            return;
        }
        value.Length = (unsigned long)(value.Bytes.size());
        bind.buffer = const_cast<char*>(value.Bytes.constData());
        bind.buffer_length = value.Length;
        bind.length = &value.Length;
    };
    auto bindTime = [&](size_t i, const QDateTime& time, enum_field_types type, enum_mysql_timestamp_type kind) {
        FillTime(FValues[i].Time, time, kind);
        FBinds[i].buffer_type = type;
        FBinds[i].buffer = &FValues[i].Time;
    };

    for (size_t i = 0; i < count; ++i) {
        const TParam& param = *params[i];
        TBoundValue& value = FValues[i];
        MYSQL_BIND& bind = FBinds[i];
        switch (param.Kind()) {
        case TParam::TValueKind::Null:
            bind.buffer_type = MYSQL_TYPE_NULL;
            break;
        case TParam::TValueKind::Text:
            value.Bytes = FConnection.EncodeText(param.AsString());
            bindBytes(i, MYSQL_TYPE_STRING);
            break;
        case TParam::TValueKind::Bytes:
            value.Bytes = param.AsBytes();
            bindBytes(i, MYSQL_TYPE_BLOB);
            break;
        case TParam::TValueKind::Integer:
        case TParam::TValueKind::Boolean:
            value.Integer = param.AsInteger();
            bind.buffer_type = MYSQL_TYPE_LONGLONG;
            bind.buffer = &value.Integer;
            break;
        case TParam::TValueKind::Float:
            value.Float = param.AsFloat();
            bind.buffer_type = MYSQL_TYPE_DOUBLE;
            bind.buffer = &value.Float;
            break;
        case TParam::TValueKind::DateTime:
            bindTime(i, param.AsDateTime(), MYSQL_TYPE_DATETIME, MYSQL_TIMESTAMP_DATETIME);
            break;
        case TParam::TValueKind::Date:
            bindTime(i, param.AsDateTime(), MYSQL_TYPE_DATE, MYSQL_TIMESTAMP_DATE);
            break;
        case TParam::TValueKind::Time:
            bindTime(i, param.AsDateTime(), MYSQL_TYPE_TIME, MYSQL_TIMESTAMP_TIME);
            break;
        case TParam::TValueKind::File: {
            TSourceFile file(param.FileName());
            checkLimit(file.Size());
            if (file.Size() <= ChunkSize) {
                file.ReadAll(value.Bytes);
                bindBytes(i, MYSQL_TYPE_BLOB);
            } else {
                bind.buffer_type = MYSQL_TYPE_LONG_BLOB;
                longValues.push_back({unsigned(i), {}, std::move(file), {}});
            }
            break;
        }
        case TParam::TValueKind::Stream: {
            const std::shared_ptr<const TValueSource>& source = param.Source();
            const qint64 size = source ? source->Size() : 0;
            checkLimit(size);
            const bool text = IsTextFieldType(param.DataType());
            if (size <= ChunkSize) {
                value.Bytes.resize(size);
                if (size > 0 && source->Read(0, value.Bytes.data(), size) != size)
                    throw EInOutError(QStringLiteral("A value could not be read whole"));
                bindBytes(i, text ? MYSQL_TYPE_STRING : MYSQL_TYPE_BLOB);
            } else {
                bind.buffer_type = text ? MYSQL_TYPE_STRING : MYSQL_TYPE_LONG_BLOB;
                longValues.push_back({unsigned(i), {}, {}, source});
            }
            break;
        }
        }
    }

    if (mysql_stmt_bind_param(FHandle, FBinds.data()) != 0)
        RaiseError();
    try {
        auto send = [this](unsigned index, const char* data, qint64 size) {
            if (mysql_stmt_send_long_data(FHandle, index, data, (unsigned long)(size)) != 0)
                RaiseError();
        };
        QByteArray chunk;
        for (TLongValue& value : longValues) {
            if (value.Source) {
                if (chunk.isEmpty())
                    chunk = QByteArray(ChunkSize, Qt::Uninitialized);
                const qint64 size = value.Source->Size();
                for (qint64 offset = 0; offset < size;) {
                    const qint64 got = value.Source->Read(offset, chunk.data(), std::min(ChunkSize, size - offset));
                    if (got <= 0)
                        throw EInOutError(QStringLiteral("A value could not be read whole"));
                    send(value.Index, chunk.constData(), got);
                    offset += got;
                }
                continue;
            }
            if (!value.File) {
                for (qint64 offset = 0; offset < value.Bytes.size(); offset += ChunkSize)
                    send(value.Index, value.Bytes.constData() + offset,
                         std::min<qint64>(ChunkSize, value.Bytes.size() - offset));
                continue;
            }
            if (chunk.isEmpty())
                chunk = QByteArray(ChunkSize, Qt::Uninitialized);   // exactly one chunk, no growth reserve
            while (const qint64 got = value.File->Read(chunk.data(), ChunkSize))
                send(value.Index, chunk.constData(), got);
        }
        if (mysql_stmt_execute(FHandle) != 0)
            RaiseError();
    } catch (...) {
        // Long data already sent stays with the statement on the server until
        // it is reset; the next execution must not inherit it.
        if (IsAlive())
            mysql_stmt_reset(FHandle);
        throw;
    }
}

#include "ULobImporter.h"

#include "UDateFormatParser.h"
#include "UFolderScanner.h"
#include "ULobImportSession.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/ULogUtil.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "db/UDBUtil.h"
#include "platform/dac/UUniError.h"
#include "platform/dac/UUniQuery.h"

#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

// The parameters have names of their own: a column's name may hold ":",
// a backtick or anything else that the parameter parsing reads differently.
const QString KeyParamName = QStringLiteral("p1");
const QString LobParamName = QStringLiteral("p2");
const QString FolderParamName = QStringLiteral("p3");

// The key of a number column: "_" left out, then an optional sign and
// decimal digits within the range of a 64-bit signed integer.
bool ReadNumberKey(QStringView key, qint64& value)
{
    quint64 magnitude = 0;
    bool negative = false;
    bool signAllowed = true;
    bool digits = false;
    const quint64 limit = quint64(std::numeric_limits<qint64>::max());
    for (const QChar c : key) {
        if (c == QLatin1Char('_'))
            continue;
        if (signAllowed && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            negative = c == QLatin1Char('-');
            signAllowed = false;
            continue;
        }
        signAllowed = false;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + quint64(c.unicode() - '0');
        if (magnitude > limit + (negative ? 1 : 0))
            return false;
        digits = true;
    }
    if (!digits)
        return false;
    value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

constexpr int ErDataTooLong = 1406;

}  // namespace

const QString TLobImporter::OversizeHint = QStringLiteral("The LOB file size is big then LOB Max Column Size.");

TLobImporter::TLobImporter() = default;

TLobImporter::~TLobImporter() = default;

void TLobImporter::BeforeConvert()
{
    if (!FImportSession)
        throw Exception(QStringLiteral("No import task is set"));
    SetSession(FImportSession);
    SaveRecentSession();

    RowIndex = 0;
    FScanner = std::make_unique<TFolderScanner>();
    FDictionary = SourceDBFactory ? SourceDBFactory->GetDictionary() : nullptr;
    if (!FDictionary)
        throw Exception(QStringLiteral("Connection is not defined"));
    FParser.reset();   // made on the first date key: its 88 patterns cost a compile
    ProbeFields();
}

void TLobImporter::ProbeFields()
{
    const TLobImportSession& task = *FImportSession;
    TUniQuery& query = Query();
    query.Close();
    query.SetSQL(QStringLiteral("select ") + FDictionary->QuoteName(task.LobField) + QLatin1Char(',')
                 + FDictionary->QuoteName(task.NameField) + QStringLiteral(" from ")
                 + FDictionary->GetQualifiedName(task.Schema, task.Table) + QStringLiteral(" where 1=0"));
    query.Execute();
    FLobFieldType = query.Fields(0)->DataType();
    FNameFieldType = query.Fields(1)->DataType();
    query.Close();
    FDateFormat.clear();

    if (IsNumericFieldType(FNameFieldType))
        FKeyKind = TKeyKind::Number;
    else if (FNameFieldType == ftDate || FNameFieldType == ftTime || FNameFieldType == ftDateTime)
        FKeyKind = TKeyKind::Date;
    else
        FKeyKind = TKeyKind::Text;
}

bool TLobImporter::HasFolderColumn() const
{
    return !FImportSession->FolderField.isEmpty() && FImportSession->FolderField != FImportSession->NameField;
}

QString TLobImporter::BuildInsertSql() const
{
    const TLobImportSession& task = *FImportSession;
    QString columns = FDictionary->QuoteName(task.NameField) + QLatin1Char(',') + FDictionary->QuoteName(task.LobField);
    QString values = QLatin1Char(':') + KeyParamName + QStringLiteral(",:") + LobParamName;
    if (HasFolderColumn()) {
        columns += QLatin1Char(',') + FDictionary->QuoteName(task.FolderField);
        values += QStringLiteral(",:") + FolderParamName;
    }
    return QStringLiteral("insert into ") + FDictionary->GetQualifiedName(task.Schema, task.Table)
           + QStringLiteral(" (") + columns + QStringLiteral(")") + QStringLiteral(" values (") + values
           + QStringLiteral(")");
}

QString TLobImporter::BuildUpdateSql() const
{
    const TLobImportSession& task = *FImportSession;
    QString sql = QStringLiteral("update ") + FDictionary->GetQualifiedName(task.Schema, task.Table)
                  + QStringLiteral(" set ") + FDictionary->QuoteName(task.LobField) + QStringLiteral(" = :")
                  + LobParamName;
    if (HasFolderColumn())
        sql += QLatin1Char(',') + FDictionary->QuoteName(task.FolderField) + QStringLiteral(" = :")
               + FolderParamName;
    return sql + QStringLiteral(" where ") + FDictionary->QuoteName(task.NameField) + QStringLiteral(" = :")
           + KeyParamName;
}

void TLobImporter::SetSql()
{
    const TLobImportSession& task = *FImportSession;
    TUniQuery& query = Query();
    query.SetSQL(task.ImportType == TImportType::Insert ? BuildInsertSql() : BuildUpdateSql());
    FKeyParam = query.ParamByName(KeyParamName);
    FLobParam = query.ParamByName(LobParamName);
    FFolderParam = HasFolderColumn() ? query.ParamByName(FolderParamName) : nullptr;
}

void TLobImporter::ScanFolder()
{
    const TLobImportSession& task = *FImportSession;
    const QString ext = ExtWithoutDot(task.Ext);
    FScanner->Reset();
    // An empty folder counts as missing, not as the root.
    QString folder = task.LoadFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    FScanner->SetFolder(folder);
    FScanner->SetMask(ext.isEmpty() ? QStringLiteral("*.*") : QStringLiteral("*.") + ext);
    FScanner->SetRecursive(task.IncludeSubFolder);
    FScanner->Scan();
}

void TLobImporter::StartConvert()
{
    SetSql();
    ScanFolder();
    TLobConverter::StartConvert();
    // Still a run of no files, but the log says why.
    if (FScanner->MissingFolder()) {
        Status().Message = QStringLiteral("Warning: the folder to load does not exist: ")
                           + EscapeLogText(FImportSession->LoadFolder);
        Status().DoMessage();
    }
}

int TLobImporter::FolderFailures() const
{
    return int(FScanner->Failures().size());
}

void TLobImporter::CountTotal()
{
    Status().Total = FolderFailures() + FScanner->Count();
}

bool TLobImporter::HasNext()
{
    return RowIndex < FolderFailures() + FScanner->Count();
}

void TLobImporter::Next()
{
    ++RowIndex;
}

void TLobImporter::AfterConvert()
{
    FParser.reset();
    FScanner.reset();
}

bool TLobImporter::IsOversizeError(const std::exception& error)
{
    const QString message = ExceptionMessage(error);
    if (message.contains(QLatin1String("CLI0109E  String data right truncation. SQLSTATE=22001")))
        return true;
    const auto* dbError = dynamic_cast<const EUniError*>(&error);
    return dbError && (dbError->ErrorCode() == ErDataTooLong || dbError->SqlState() == QLatin1String("22001"));
}

void TLobImporter::ConvertOneRecord()
{
    if (RowIndex < FolderFailures()) {
        const TFolderScanner::TFailure& failure = FScanner->Failures().at(RowIndex);
        ++Status().Errors;
        HandleConvertError(failure.Folder, EInOutError(QStringLiteral("Cannot read folder \"%1\". %2")
                                                           .arg(failure.Folder, failure.Reason)));
        return;
    }
    const int file = RowIndex - FolderFailures();
    const QString& fileName = FScanner->Files().at(file);
    try {
        ImportFile(fileName, FScanner->NativeFiles().at(file));
    } catch (const std::exception& e) {
        ++Status().Errors;
        QString hint;
        // Only a too long value of the large-object column gets the hint; a
        // too long key or folder names its own column.
        if (IsOversizeError(e)) {
            const QString message = ExceptionMessage(e);
            if (!message.contains(QLatin1String("column '"))
                || message.contains(QStringLiteral("column '") + FImportSession->LobField + QLatin1Char('\'')))
                hint = OversizeHint;
        }
        HandleConvertError(fileName, e, hint);
    }
}

void TLobImporter::RaiseKeyError(const QString& key) const
{
    throw EConvertError(QLatin1Char('"') + key + QStringLiteral("\" can not insert to field \"")
                        + FImportSession->NameField + QLatin1Char('"'));
}

void TLobImporter::SetDateKey(const QString& key)
{
    // Detected again while no key had a format, so that one odd first file
    // does not fail the whole run; once found the format stays.
    if (!FParser)
        FParser = std::make_unique<TDateFormatParser>();
    if (FDateFormat.isEmpty()) {
        const QString detected = FParser->DetectFormat(key);
        if (detected == TDateFormatDetector::CannotDetect)
            RaiseKeyError(key);
        FDateFormat = detected;
    }
    QDateTime value;
    try {
        value = FParser->Parse(key, FDateFormat);
    } catch (const EConvertError&) {
        const int row = FParser->Detector().IndexOf(FDateFormat);
        if (row < 0 || !FParser->Detector().Formats()[size_t(row)].Regex.Match(key.toUtf8()))
            RaiseKeyError(key);
        throw;   // the key's format, but no such date or time
    }
    switch (FNameFieldType) {
    case ftDate: FKeyParam->SetAsDate(value.date()); break;
    case ftTime: FKeyParam->SetAsTime(value.time()); break;
    default: FKeyParam->SetAsDateTime(value); break;
    }
}

void TLobImporter::SetKey(QStringView key)
{
    switch (FKeyKind) {
    case TKeyKind::Number: {
        qint64 value = 0;
        if (!ReadNumberKey(key, value))
            RaiseKeyError(key.toString().remove(QLatin1Char('_')));
        FKeyParam->SetAsLargeInt(value);
        break;
    }
    case TKeyKind::Date:
        SetDateKey(key.toString());
        break;
    case TKeyKind::Text:
        FKeyParam->SetAsString(key.toString());
        break;
    }
}

void TLobImporter::ImportFile(const QString& fileName, const QByteArray& nativeName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(fileName).mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const bool wholeName = dot < 0 || (FKeyKind != TKeyKind::Number && FImportSession->IncludeNameExt);
    SetKey(wholeName ? name : name.left(dot));
    if (FFolderParam)
        FFolderParam->SetAsString(fileName.left(slash + 1));
    FLobParam->SetParamType(ptInput);
    if (QFile::encodeName(fileName) == nativeName) {
        FLobParam->LoadFromFile(fileName, FLobFieldType);
        Query().Execute();
        return;
    }
    // A name that is not UTF-8 has no text that leads back to its bytes: the
    // file is opened here by its bytes and read through its descriptor.
    const int handle = ::open(nativeName.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        throw FileError("open", fileName, QString::fromLocal8Bit(std::strerror(errno)));
    const auto closeHandle = qScopeGuard([handle] { ::close(handle); });
    FLobParam->LoadFromFile(QStringLiteral("/proc/self/fd/") + QString::number(handle), FLobFieldType);
    Query().Execute();
}

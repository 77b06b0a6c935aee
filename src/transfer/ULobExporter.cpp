#include "ULobExporter.h"

#include "ULobExportSession.h"
#include "ULobFileWriter.h"
#include "UUnnamedFileStock.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "platform/dac/UUniQuery.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString OnSaveSuffix = QStringLiteral(". On Save LOB to file.");

constexpr mode_t NewFolderMode = 0777;   // less the umask

// A folder gets files opened ahead once it served this many rows in a row:
// rows that alternate between folders would only pay for the opener.
constexpr int StockAfterRows = 8;

void CloseFolder(int& folder)
{
    if (folder >= 0)
        ::close(folder);
    folder = -1;
}

}  // namespace

TLobExporter::TLobExporter() = default;

TLobExporter::~TLobExporter()
{
    CloseFolders();
}

QString TLobExporter::CleanName(QString name)
{
    QChar* data = name.data();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\n' || c == u'\r' || c == u'"')
            continue;
        // NUL would end the path early and write another file.
        data[kept++] = c == u'?' || c == u':' || c == u'\\' || c == u'/' || c == 0 ? QChar(u'_') : QChar(c);
    }
    name.truncate(kept);
    return name;
}

QString TLobExporter::CleanExt(QString ext)
{
    QChar* data = ext.data();
    qsizetype kept = 0;
    // One leading "." goes: ".txt" and "txt" give the same file.
    for (qsizetype i = ext.startsWith(QLatin1Char('.')) ? 1 : 0; i < ext.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\\')
            continue;
        data[kept++] = c == u'/' ? QChar(u'.') : c == 0 ? QChar(u'_') : QChar(c);
    }
    ext.truncate(kept);
    return ext;
}

QString TLobExporter::CleanSubFolderLabel(QString label)
{
    for (QChar& c : label)
        if (c == u'/' || c == QChar(0))
            c = u'_';
    if (label == QLatin1String(".") || label == QLatin1String(".."))
        throw Exception(QStringLiteral("The sub-folder \"%1\" is not inside the export folder").arg(label)
                        + OnSaveSuffix);
    return label;
}

void TLobExporter::BeforeConvert()
{
    if (!FExportSession)
        throw Exception(QStringLiteral("No export task to run."));
    SetSession(FExportSession);
    SaveRecentSession();
    RowIndex = 0;
    SetupQuery();
    OpenQuery();
    FindFields();
    PrepareFolders();
}

void TLobExporter::OpenQuery()
{
    Query().SetSQL(FExportSession->BuildSql());
    Query().Execute();
}

void TLobExporter::FindFields()
{
    const TLobExportSession& task = *FExportSession;
    TUniQuery& query = Query();
    if (!query.Active())
        throw Exception(QStringLiteral("The export statement returns no rows: ") + query.SQL());
    FNameColumn = task.NameType == TExportNameType::FromField ? query.FieldByName(task.NameField) : nullptr;
    FExtColumn = task.ExtType == TExportExtType::FromField ? query.FieldByName(task.ExtField) : nullptr;
    FSubColumn = task.SubFolderCreateType == TSubFolderCreateType::ByField ? query.FieldByName(task.SubField) : nullptr;
    FLobColumn = query.FieldByName(task.LobField);
    if (!FLobColumn->IsBlob())
        throw Exception(QStringLiteral("Field '%1' is not a large-object (BLOB or TEXT) field").arg(task.LobField));
}

void TLobExporter::PrepareFolders()
{
    const TLobExportSession& task = *FExportSession;
    FBaseFolder = task.UnloadFolder;
    while (FBaseFolder.size() > 1 && FBaseFolder.endsWith(QLatin1Char('/')))
        FBaseFolder.chop(1);
    // An empty folder counts as missing: never the root nor the working folder.
    FBaseFolderPath = FBaseFolder.isEmpty() ? QByteArray()
                      : FBaseFolder == QLatin1String("/") ? QByteArrayLiteral("/")
                                                            : (FBaseFolder + QLatin1Char('/')).toUtf8();
    FFixedExt.clear();
    if (task.ExtType != TExportExtType::FromField)
        FFixedExt = (QLatin1Char('.') + CleanExt(task.Ext)).toUtf8();
    FFolderPath = task.SubFolderCreateType == TSubFolderCreateType::ByCount || task.SubFolderCreateType == TSubFolderCreateType::ByField ? QByteArray() : FBaseFolderPath;
    FFolderBlock = -1;
    FFolderLabel.clear();
    CloseFolders();
}

void TLobExporter::CloseFolders()
{
    CloseRowFolder();
    CloseFolder(FBaseFolderHandle);
}

// The export folder's handle stays: the row's folder may only borrow it.
void TLobExporter::CloseRowFolder()
{
    FStock.reset();
    FFolderRows = 0;
    if (FFolder != FBaseFolderHandle)
        CloseFolder(FFolder);
    FFolder = -1;
}

void TLobExporter::ConvertOneRecord()
{
    try {
        ExportRecord();
    } catch (const std::exception& e) {
        RowFailed(e);
    }
}

void TLobExporter::ExportRecord()
{
    const TLobExportSession& task = *FExportSession;
    FPath.truncate(0);
    FPath.append(RowFolder());
    const qsizetype nameStart = FPath.size();

    if (task.NameType != TExportNameType::FromField) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, GetSerial()).ptr;
        FPath.append(digits, end - digits);
    } else {
        AppendUtf8(CleanName(FNameColumn->AsString()));
    }
    // The dot stands also before an empty extension.
    if (task.ExtType != TExportExtType::FromField) {
        FPath.append(FFixedExt);
    } else {
        FPath.append('.');
        AppendUtf8(CleanExt(FExtColumn->AsString()));
    }

    try {
        if (FBaseFolderPath.isEmpty())
            throw EInOutError(QStringLiteral("Cannot create file \"%1\". No export folder is set")
                                  .arg(QString::fromUtf8(FPath)));
        const int folder = RowFolderHandle();
        FName.truncate(0);
        FName.append(FPath.constData() + nameStart, FPath.size() - nameStart);
        if (!FStock && ++FFolderRows >= StockAfterRows && TLobFileWriter::StartsUnnamed())
            FStock = std::make_unique<TUnnamedFileStock>(folder);
        TLobFileWriter file;
        file.Create(folder, FName, FPath, FStock.get());
        file.WriteValue(*FLobColumn);
        file.Commit();
    } catch (const std::exception& e) {
        throw Exception(ExceptionMessage(e) + OnSaveSuffix);
    }
}

const QByteArray& TLobExporter::RowFolder()
{
    const TLobExportSession& task = *FExportSession;
    if (task.SubFolderCreateType == TSubFolderCreateType::ByCount) {
        // Rows 1 to N go to "1-N", N+1 to 2N to "N+1-2N", ...
        const qint64 count = task.SubCount;
        if (count < 1)
            throw Exception(QStringLiteral("Division error: the rows per sub-folder (SubCount) are %1, "
                                           "at least 1 is needed")
                                .arg(count));
        const int block = int((GetSerial() - 1) / count);
        if (block != FFolderBlock || FFolderPath.isEmpty()) {
            const qint64 first = block * count + 1;
            SetSubFolder(QString::number(first) + QLatin1Char('-') + QString::number(first + count - 1));
            FFolderBlock = block;
        }
        return FFolderPath;
    }
    if (task.SubFolderCreateType == TSubFolderCreateType::ByField) {
        QString label = CleanSubFolderLabel(FSubColumn->AsString());
        if (label != FFolderLabel || FFolderPath.isEmpty())
            SetSubFolder(label);
        return FFolderPath;
    }
    return FFolderPath;
}

// The sub-folder's encoded path with a trailing "/"; empty without an export
// folder. It is opened by RowFolderHandle.
void TLobExporter::SetSubFolder(const QString& label)
{
    CloseRowFolder();
    FFolderLabel = label;
    FFolderName = label.toUtf8();
    if (FBaseFolderPath.isEmpty()) {
        FFolderPath.clear();
        return;
    }
    FFolderPath = FFolderName.isEmpty() ? FBaseFolderPath : FBaseFolderPath + FFolderName + '/';
}

int TLobExporter::RowFolderHandle()
{
    if (FFolder >= 0)
        return FFolder;
    const TLobExportSession& task = *FExportSession;
    const bool sub = task.SubFolderCreateType == TSubFolderCreateType::ByCount
                     || task.SubFolderCreateType == TSubFolderCreateType::ByField;
    if (FBaseFolderHandle < 0) {
        // The export folder itself may be a link: the user chose it. It is
        // made only for sub-folders.
        if (sub)
            ForceDirectoryPath(FBaseFolder);
        // O_PATH: a folder one may write into but not list still takes files.
        FBaseFolderHandle = ::open(FBaseFolderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (FBaseFolderHandle < 0)
            TLobFileWriter::RaiseFileError("create", FPath, errno);
    }
    // An empty label (a NULL) is the export folder itself.
    if (!sub || FFolderName.isEmpty()) {
        FFolder = FBaseFolderHandle;
        return FFolder;
    }
    FFolder = OpenSubFolder(FBaseFolderHandle, FFolderName);
    return FFolder;
}

// The label's folder in the export folder, made when it is missing and never
// followed when it is a link: a link could lead anywhere.
int TLobExporter::OpenSubFolder(int base, const QByteArray& name) const
{
    ::mkdirat(base, name.constData(), NewFolderMode);
    const int folder = ::openat(base, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0)
        return folder;
    const int error = errno;
    struct stat info {};
    if (::fstatat(base, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) {
        QByteArray shown = FFolderPath;
        shown.chop(1);
        throw EInOutError(QStringLiteral("The sub-folder \"%1\" is a symbolic link; nothing is written through it")
                              .arg(QString::fromUtf8(shown)));
    }
    TLobFileWriter::RaiseFileError("create", FPath, error);
}

void TLobExporter::AfterConvert()
{
    CloseQuery();
}

void TLobExporter::CloseQuery()
{
    CloseFolders();
    FLobColumn = FNameColumn = FExtColumn = FSubColumn = nullptr;
    Query().Close();
}

void TLobExporter::AppendUtf8(QStringView text)
{
    const qsizetype start = FPath.size();
    FPath.resize(start + FEncoder.requiredSpace(text.size()));
    char* end = FEncoder.appendToBuffer(FPath.data() + start, text);
    FPath.truncate(end - FPath.constData());
}

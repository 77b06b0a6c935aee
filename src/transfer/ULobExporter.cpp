#include "ULobExporter.h"

#include "ULobExportSession.h"
#include "ULobFileWriter.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "platform/dac/UUniQuery.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>

namespace {

const QString OnSaveSuffix = QStringLiteral(". On Save LOB to file.");

// Distinct sub-folder labels remembered at most; beyond that the memory of a
// run would grow with its rows.
constexpr qsizetype MaxRememberedFolders = 10000;

}  // namespace

TLobExporter::TLobExporter() = default;

TLobExporter::~TLobExporter() = default;

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
    FMadeFolders.clear();
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
        TLobFileWriter file;
        file.Create(FPath);
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
            FFolderPath = SubFolderPath(QString::number(first) + QLatin1Char('-') + QString::number(first + count - 1));
            FFolderBlock = block;
        }
        return FFolderPath;
    }
    if (task.SubFolderCreateType == TSubFolderCreateType::ByField) {
        QString label = CleanSubFolderLabel(FSubColumn->AsString());
        if (label != FFolderLabel || FFolderPath.isEmpty()) {
            FFolderPath = SubFolderPath(label);
            FFolderLabel = std::move(label);
        }
        return FFolderPath;
    }
    return FFolderPath;
}

// The encoded sub-folder with a trailing "/", made when it is not known to
// exist; empty without an export folder.
QByteArray TLobExporter::SubFolderPath(const QString& label)
{
    if (FBaseFolderPath.isEmpty())
        return {};
    const auto made = FMadeFolders.constFind(label);
    if (made != FMadeFolders.cend())
        return *made;
    const QString folder = MakeSubFolder(FBaseFolder, label);
    QByteArray path = folder.toUtf8();
    if (!path.endsWith('/'))
        path.append('/');
    if (!QFileInfo(folder).isDir())
        return path;   // not remembered: the file's creation reports it
    if (FMadeFolders.size() >= MaxRememberedFolders)
        FMadeFolders.clear();
    FMadeFolders.insert(label, path);
    return path;
}

QString TLobExporter::MakeSubFolder(const QString& base, const QString& label)
{
    const QString path = base == QLatin1String("/") ? base + label : base + QLatin1Char('/') + label;
    // The label is one level, and a name as it stands: blanks at its end are
    // part of it, so it is not made with the base's levels (which are trimmed).
    ForceDirectoryPath(base);
    QDir().mkdir(path);
    return path;
}

void TLobExporter::AfterConvert()
{
    CloseQuery();
}

void TLobExporter::CloseQuery()
{
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

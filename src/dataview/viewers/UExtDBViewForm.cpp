#include "UExtDBViewForm.h"

#include "base/UAppException.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/UPrompter.h"
#include "base/USystemUtil.h"
#include "settings/URegUtil.h"
#include "platform/dac/UFieldDataLink.h"
#include "platform/shell/UShellOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

const QString TExtDBViewForm::RegistryKey = QStringLiteral("Software\\corvanta\\pharostine");
const QString TExtDBViewForm::TempFolderValue = QStringLiteral("tempfolder");
const QString TExtDBViewForm::ModeSystem = QStringLiteral("system");
const QString TExtDBViewForm::ModeSelect = QStringLiteral("select");

namespace {

std::optional<QList<TFileTypeEntry>>& FileTypes()
{
    static std::optional<QList<TFileTypeEntry>> types;
    return types;
}

// Temporary files may hold private values: only the user may read them.
constexpr QFile::Permissions PrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions PrivateFile = QFile::ReadOwner | QFile::WriteOwner;

QLineEdit* BrowseEdit(const QString& name, const QString& accessible, QWidget* parent, QToolButton*& browse)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    // Chosen through the dialog only.
    edit->setReadOnly(true);
    browse = new QToolButton(parent);
    browse->setObjectName(name + QStringLiteral("Browse"));
    browse->setText(QStringLiteral("..."));
    browse->setAccessibleName(QStringLiteral("Browse"));
    return edit;
}

}  // namespace

const QList<TFileTypeEntry>* TExtDBViewForm::SharedFileTypes()
{
    return FileTypes() ? &*FileTypes() : nullptr;
}

void TExtDBViewForm::ForgetFileTypes()
{
    FileTypes().reset();
}

TExtDBViewForm::TExtDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("ExtDBViewForm"));
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setMinimumHeight(137);
    FExt = new QLineEdit(top);
    FExt->setObjectName(QStringLiteral("edtExt"));
    QToolButton* folderBrowse = nullptr;
    QToolButton* programBrowse = nullptr;
    FTempFolderEdit = BrowseEdit(QStringLiteral("deTempFolder"), QStringLiteral("Temp folder"), top, folderBrowse);
    FProgram = BrowseEdit(QStringLiteral("feProgram"), QStringLiteral("Execute with"), top, programBrowse);
    auto label = [top](const QString& name, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, top);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    auto button = [top](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, top);
        b->setObjectName(name);
        return b;
    };
    QPushButton* open = button(QStringLiteral("btnExe"), QStringLiteral("Open"));
    QPushButton* clear = button(QStringLiteral("btnClear"), QStringLiteral("Clear Temp File"));
    FGet = button(QStringLiteral("btnGet"), QStringLiteral("Show File Format List"));
    auto* grid = new QGridLayout(top);
    grid->addWidget(label(QStringLiteral("Label1"), QStringLiteral("File extention"), FExt), 0, 0);
    grid->addWidget(FExt, 0, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Label4"), QStringLiteral("Temp folder"), FTempFolderEdit), 1, 0);
    grid->addWidget(FTempFolderEdit, 1, 1);
    grid->addWidget(folderBrowse, 1, 2);
    grid->addWidget(label(QStringLiteral("Label2"), QStringLiteral("Execute with"), FProgram), 2, 0);
    grid->addWidget(FProgram, 2, 1);
    grid->addWidget(programBrowse, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(clear);
    buttons->addWidget(FGet);
    buttons->addStretch();
    grid->addLayout(buttons, 3, 0, 1, 3);

    FList = new QListWidget(this);
    FList->setObjectName(QStringLiteral("ListBox1"));
    FList->setAccessibleName(QStringLiteral("File types"));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(top);
    splitter->addWidget(FList);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(open, &QPushButton::clicked, this, Guarded([this](auto&&...) { OpenTempFile(); }));
    connect(clear, &QPushButton::clicked, this, Guarded([this](auto&&...) { ClearTempFile(); }));
    connect(FGet, &QPushButton::clicked, this, Guarded([this](auto&&...) { ShowFileFormatList(); }));
    connect(FList, &QListWidget::itemDoubleClicked, this, Guarded([this](auto&&...) { ChooseSelectedType(); }));
    connect(folderBrowse, &QToolButton::clicked, this, Guarded([this](auto&&...) {
                const QString folder = TPrompter::Instance().SelectFolder(QStringLiteral("Temp folder"), FTempFolder);
                if (!folder.isEmpty())
                    SetTempFolderText(folder);
            }));
    connect(programBrowse, &QToolButton::clicked, this, Guarded([this](auto&&...) {
                const QString program = TPrompter::Instance().OpenFileName(TFileDialogOptions());
                if (!program.isEmpty())
                    SetProgramText(program);
            }));

    FTempFolder = RegReadString(RegistryKey, TempFolderValue);
    if (FTempFolder.isEmpty())
        FTempFolder = GetAppDataDir() + QStringLiteral("/pharostine");
    // One level only; a folder that cannot be made shows when Open writes.
    if (!QFileInfo::exists(FTempFolder) && QDir().mkdir(FTempFolder))
        QFile::setPermissions(FTempFolder, PrivateFolder);
    SetTempFolderText(FTempFolder);
    if (const QList<TFileTypeEntry>* shared = SharedFileTypes()) {
        ShowList(*shared);
        FGet->setEnabled(false);
    }
}

void TExtDBViewForm::SetTempFolderText(const QString& folder)
{
    FTempFolderEdit->setText(folder);
    // Applies to the viewers created from now on; this one keeps its folder.
    if (!folder.isEmpty())
        RegWriteString(RegistryKey, TempFolderValue, folder);
}

void TExtDBViewForm::SetProgramText(const QString& program)
{
    FProgram->setText(program);
    if (!program.isEmpty())
        FOpenMode = ModeSelect;
}

void TExtDBViewForm::ShowList(const QList<TFileTypeEntry>& entries)
{
    FEntries = entries;
    FList->clear();
    for (const TFileTypeEntry& entry : entries)
        FList->addItem(entry.Text());
}

void TExtDBViewForm::ShowFileFormatList()
{
    FileTypes() = ReadFileTypes();
    ShowList(*FileTypes());
    FGet->setEnabled(false);
}

void TExtDBViewForm::ChooseSelectedType()
{
    const int row = FList->currentRow();
    if (row < 0 || row >= FEntries.size())
        return;
    const TFileTypeEntry& entry = FEntries[row];
    FExt->setText(entry.Extension);
    SetProgramText(entry.Command);
    FOpenMode = ModeSystem;
}

QString TExtDBViewForm::TempFilePath() const
{
    const QString extension = FExt->text();
    // The name stays inside the temporary folder.
    if (extension.contains(QLatin1Char('/')) || extension.contains(QChar(u'\0')))
        throw Exception(QStringLiteral("Invalid file extension \"%1\"").arg(extension));
    if (FOpenMode == ModeSelect && extension.isEmpty())
        return FTempFolder + QStringLiteral("/temp.tmp");
    return FTempFolder + QStringLiteral("/temp") + extension;
}

void TExtDBViewForm::OpenTempFile()
{
    if (FProgram->text().isEmpty() || FOpenMode.isEmpty())
        return;
    const QString path = TempFilePath();
    TField* field = Field();
    const QByteArray bytes = field ? field->AsBytes() : QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, PrivateFile) || file.write(bytes) != bytes.size() ||
        !file.flush())
        throw FileError("write", path, file.errorString());
    file.close();
    QFile::setPermissions(path, PrivateFile);
    FTempFile = path;
    if (FOpenMode == ModeSystem) {
        if (!TShellOpener::Instance().OpenDocument(path))
            throw Exception(QStringLiteral("Cannot open \"%1\": no program could be started for it").arg(path));
    } else if (!TShellOpener::Instance().StartProgram(FProgram->text(), {path})) {
        throw Exception(QStringLiteral("Cannot start \"%1\"").arg(FProgram->text()));
    }
}

void TExtDBViewForm::ClearTempFile()
{
    if (!FTempFile.isEmpty() && QFileInfo::exists(FTempFile))
        QFile::remove(FTempFile);
}

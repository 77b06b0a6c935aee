#include "ULobImportForm.h"

#include "UBrowseFileEdit.h"
#include "URadioGroup.h"
#include "widgets/UUIUtil.h"
#include "db/UDBObjectFactory.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobImportSessionExecutor.h"
#include "transfer/UTableFieldTypesInfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TLobImportForm::TLobImportForm(QWidget* parent, const TTransferServices& services)
    : TLobTaskForm(services, QStringLiteral("Log"), parent),
      FSession(std::make_unique<TLobImportSession>()),
      FExecutor(std::make_unique<TLobImportSessionExecutor>(*services.LobFactory)),
      cbbSchema(NewCombo(QStringLiteral("cbbSchema"))),
      cbTable(NewCombo(QStringLiteral("cbTable"))),
      cbLobField(NewCombo(QStringLiteral("cbLobField"))),
      cbNameField(NewCombo(QStringLiteral("cbNameField"))),
      chkIncludeNameExt(NewCheck(QStringLiteral("chkIncludeNameExt"), QStringLiteral("Include File Extension"))),
      chkFolderField(NewCheck(QStringLiteral("chkFolderField"), QStringLiteral("Folder Field: "))),
      cbbFolderField(NewCombo(QStringLiteral("cbbFolderField"))),
      rgImportType(NewRadioGroup(QStringLiteral("rgImportType"), {QStringLiteral("Insert"), QStringLiteral("Update")}, 2)),
      edtLoadFolder(new TBrowseFileEdit(InputPanel())),
      chkIncludeSubFolder(NewCheck(QStringLiteral("chkIncludeSubFolder"), QStringLiteral("Recursive Folders"))),
      rgExt(NewRadioGroup(QStringLiteral("rgExt"), {QStringLiteral("All"), QStringLiteral("Custom")}, 2)),
      edtExt(new QLineEdit(QStringLiteral("dat"), InputPanel())),
      btnImport(NewButton(QStringLiteral("btnImport"), QStringLiteral("Import"))),
      btnStop(NewButton(QStringLiteral("btnStop"), QStringLiteral("Stop"))),
      btnSave(NewButton(QStringLiteral("btnSave"), QStringLiteral("Save Task")))
{
    setObjectName(QStringLiteral("TLobImportForm"));
    setWindowTitle(QStringLiteral("Import Lob"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    cbbFolderField->setEnabled(false);
    cbbFolderField->setToolTip(QStringLiteral("Enable it will save the folder location to a field"));
    cbbFolderField->setAccessibleName(QStringLiteral("Folder Field"));
    edtLoadFolder->setObjectName(QStringLiteral("edtLoadFolder"));
    edtLoadFolder->SetDialogKind(TBrowseFileEdit::dkFolder);
    edtLoadFolder->SetTitle(QStringLiteral("Load From"));
    edtLoadFolder->SetFileName(TTaskSession::NoFolderText);
    edtExt->setObjectName(QStringLiteral("edtExt"));
    edtExt->setAccessibleName(QStringLiteral("Custom file extension"));
    edtExt->setEnabled(false);
    btnStop->setEnabled(false);

    auto* grid = new QGridLayout(InputPanel());
    int row = 0;
    const auto addRow = [&](QLabel* label, QWidget* field) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, 2);
        ++row;
    };
    addRow(NewLabel(QStringLiteral("lblSchema"), QStringLiteral("Schema"), cbbSchema), cbbSchema);
    addRow(NewLabel(QStringLiteral("lblTable"), QStringLiteral("Table: "), cbTable), cbTable);
    addRow(NewLabel(QStringLiteral("lblLobField"), QStringLiteral("Lob Field: "), cbLobField), cbLobField);
    addRow(NewLabel(QStringLiteral("lblFilenameField"), QStringLiteral("Filename Field:"), cbNameField), cbNameField);
    grid->addWidget(chkIncludeNameExt, row++, 1, 1, 2);
    grid->addWidget(chkFolderField, row, 0);
    grid->addWidget(cbbFolderField, row++, 1, 1, 2);
    addRow(NewLabel(QStringLiteral("lblImortType"), QStringLiteral("Import Type"), rgImportType), rgImportType);
    addRow(NewLabel(QStringLiteral("lblLoadFolder"), QStringLiteral("Load From: "), edtLoadFolder), edtLoadFolder);
    grid->addWidget(chkIncludeSubFolder, row++, 1, 1, 2);
    grid->addWidget(NewLabel(QStringLiteral("lblFileExt"), QStringLiteral("File Extension:"), rgExt), row, 0);
    grid->addWidget(rgExt, row, 1);
    grid->addWidget(edtExt, row++, 2);
    LayOutButtons({btnImport, btnStop, btnSave});
    FinishLayout();

    SetSchemaTableCombos(cbbSchema, cbTable);
    On(rgExt, &TRadioGroup::Clicked, [this] { rgExtClick(); });
    On(chkFolderField, &QCheckBox::clicked, [this] { chkFolderFieldClick(); });
    On(btnImport, &QPushButton::clicked, [this] { btnImportClick(); });
    On(btnStop, &QPushButton::clicked, [this] { btnStopClick(); });
    On(btnSave, &QPushButton::clicked, [this] { btnSaveClick(); });

    BindTask(FSession.get(), FExecutor.get(), btnStop, {btnImport, btnSave});
}

TLobImportForm::~TLobImportForm() = default;

void TLobImportForm::ClearLobFieldText()
{
    cbLobField->setCurrentIndex(-1);
}

void TLobImportForm::cbTableChange()
{
    if (cbTable->currentText().trimmed().isEmpty())
        return;
    const TTableFieldTypesInfo fields = ChosenTableFields();
    FillFieldCombo(cbLobField, fields.LobFields());
    FillFieldCombo(cbNameField, fields.OtherFields());
    cbbFolderField->clear();
    cbbFolderField->addItems(fields.OtherFields());
    cbbFolderField->setCurrentIndex(-1);
}

void TLobImportForm::rgExtClick()
{
    edtExt->setEnabled(rgExt->ItemIndex() == 1);
}

void TLobImportForm::chkFolderFieldClick()
{
    cbbFolderField->setEnabled(chkFolderField->isChecked());
}

TLobImportFormValues TLobImportForm::Values() const
{
    TLobImportFormValues values;
    values.Schema = cbbSchema->currentText();
    values.Table = ChosenTableForRun();
    values.LobField = cbLobField->currentText();
    values.NameField = cbNameField->currentText();
    values.IncludeNameExt = chkIncludeNameExt->isChecked();
    values.HasFolderField = chkFolderField->isChecked();
    values.FolderField = cbbFolderField->currentText();
    values.ImportType = static_cast<TImportType>(rgImportType->ItemIndex());
    values.LoadFolder = edtLoadFolder->FileName();
    values.IncludeSubFolder = chkIncludeSubFolder->isChecked();
    values.ExtType = static_cast<TImportExtType>(rgExt->ItemIndex());
    values.ExtItemText = rgExt->ItemText(rgExt->ItemIndex());
    values.Ext = edtExt->text();
    return values;
}

void TLobImportForm::FormToSession()
{
    Values().ToSession(*FSession);
}

void TLobImportForm::SessionToForm()
{
    const TLobImportSession& session = *FSession;
    SelectOrClear(cbbSchema, session.Schema);
    if (!cbbSchema->currentText().isEmpty())
        cbbSchemaChange();
    SelectTableOfRun(session.Table);
    if (!cbTable->currentText().isEmpty())
        cbTableChange();
    SelectOrClear(cbLobField, session.LobField);
    SelectOrClear(cbNameField, session.NameField);
    SelectOrClear(cbbFolderField, session.FolderField);
    edtLoadFolder->SetFileName(session.LoadFolder);
    rgExt->SetItemIndex(static_cast<int>(session.ExtType));
    edtExt->setEnabled(session.ExtType == TImportExtType::OnlyExt);
    edtExt->setText(session.Ext);
    rgImportType->SetItemIndex(static_cast<int>(session.ImportType));
    chkIncludeSubFolder->setChecked(session.IncludeSubFolder);
    chkIncludeNameExt->setChecked(session.IncludeNameExt);
    chkFolderField->setChecked(session.HasFolderField);
    chkFolderFieldClick();
}

bool TLobImportForm::Validate()
{
    return ShowValidation(Values().Validate());
}

void TLobImportForm::btnImportClick()
{
    if (Validate())
        RunImport();
}

void TLobImportForm::btnStopClick()
{
    StopRun();
}

void TLobImportForm::btnSaveClick()
{
    SaveTask();
}


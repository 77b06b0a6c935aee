#include "ULobExportForm.h"

#include "UBrowseFileEdit.h"
#include "widgets/UQsci.h"
#include "URadioGroup.h"
#include "settings/UQuenmarelSettings.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobExportSessionExecutor.h"
#include "transfer/UQueryFieldTypesInfo.h"
#include "transfer/UTableFieldTypesInfo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString WhereHint = QStringLiteral("For example: where rownum<=100, \nor: where filetype='pdf'");

}  // namespace

TLobExportForm::TLobExportForm(QWidget* parent, const TTransferServices& services)
    : TLobTaskForm(services, QStringLiteral("Log"), parent),
      FSession(std::make_unique<TLobExportSession>()),
      FExecutor(std::make_unique<TLobExportSessionExecutor>(*services.LobFactory)),
      rgFromType(NewRadioGroup(QStringLiteral("rgFromType"), {QStringLiteral("Table"), QStringLiteral("Query")}, 2)),
      cbbSchema(NewCombo(QStringLiteral("cbbSchema"))),
      cbTable(NewCombo(QStringLiteral("cbTable"))),
      memWhere(new QPlainTextEdit(InputPanel())),
      edtQuery(new QsciScintilla(InputPanel())),
      btnShowLob(new QPushButton(QStringLiteral("Show Lob Field"), InputPanel())),
      cbLobField(NewCombo(QStringLiteral("cbLobField"))),
      rgName(NewRadioGroup(QStringLiteral("rgName"), {QStringLiteral("By Field"), QStringLiteral("By Serial")}, 1)),
      cbNameField(NewCombo(QStringLiteral("cbNameField"))),
      rgExt(NewRadioGroup(QStringLiteral("rgExt"), {QStringLiteral("By Field"), QStringLiteral("Custom")}, 1)),
      cbExtField(NewCombo(QStringLiteral("cbExtField"))),
      edtExt(new QLineEdit(QStringLiteral("dat"), InputPanel())),
      deSaveTo(new TBrowseFileEdit(InputPanel())),
      rgSubFolders(NewRadioGroup(QStringLiteral("rgSubFolders"),
                                 {QStringLiteral("Do Not Create"), QStringLiteral("Create Per"),
                                  QStringLiteral("Create By Field")},
                                 1)),
      seSubCount(new QSpinBox(InputPanel())),
      cbSubFolderField(NewCombo(QStringLiteral("cbSubFolderField"))),
      btnExport(NewButton(QStringLiteral("btnExport"), QStringLiteral("Export"))),
      btnStop(NewButton(QStringLiteral("btnStop"), QStringLiteral("Stop"))),
      btnSave(NewButton(QStringLiteral("btnSave"), QStringLiteral("Save Task")))
{
    setObjectName(QStringLiteral("TLobExportForm"));
    setWindowTitle(QStringLiteral("Export Lob"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    memWhere->setObjectName(QStringLiteral("memWhere"));
    memWhere->setToolTip(WhereHint);
    memWhere->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memWhere->setTabChangesFocus(true);
    memWhere->setMaximumHeight(60);
    edtQuery->setObjectName(QStringLiteral("edtQuery"));
    edtQuery->setLexer(new QsciLexerSQL(edtQuery));
    edtQuery->setUtf8(true);
    edtQuery->setMinimumHeight(90);
    btnShowLob->setObjectName(QStringLiteral("btnShowLob"));
    btnShowLob->setAutoDefault(false);
    rgName->SetItemIndex(1);
    rgExt->SetItemIndex(1);
    cbNameField->setAccessibleName(QStringLiteral("File name field"));
    cbExtField->setAccessibleName(QStringLiteral("File extension field"));
    edtExt->setObjectName(QStringLiteral("edtExt"));
    edtExt->setAccessibleName(QStringLiteral("Custom file extension"));
    deSaveTo->setObjectName(QStringLiteral("deSaveTo"));
    deSaveTo->SetDialogKind(TBrowseFileEdit::dkFolder);
    deSaveTo->SetTitle(QStringLiteral("Save To"));
    deSaveTo->SetFileName(TTaskSession::NoFolderText);
    seSubCount->setObjectName(QStringLiteral("seSubCount"));
    seSubCount->setRange(1, 10000);
    seSubCount->setValue(100);
    seSubCount->setAccessibleName(QStringLiteral("Files per sub folder"));
    cbSubFolderField->setAccessibleName(QStringLiteral("Sub folder field"));
    btnStop->setEnabled(false);

    auto* grid = new QGridLayout(InputPanel());
    int row = 0;
    grid->addWidget(NewLabel(QStringLiteral("lblFromType"), QStringLiteral("From"), rgFromType), row, 0);
    grid->addWidget(rgFromType, row++, 1, 1, 3);
    lblSchema = NewLabel(QStringLiteral("lblSchema"), QStringLiteral("Schema"), cbbSchema);
    grid->addWidget(lblSchema, row, 0);
    grid->addWidget(cbbSchema, row++, 1, 1, 3);
    lblTable = NewLabel(QStringLiteral("lblTable"), QStringLiteral("Table: "), cbTable);
    grid->addWidget(lblTable, row, 0);
    grid->addWidget(cbTable, row++, 1, 1, 3);
    lblWhere = NewLabel(QStringLiteral("lblWhere"), QStringLiteral("Where clause:"), memWhere);
    grid->addWidget(lblWhere, row, 0, Qt::AlignTop);
    grid->addWidget(memWhere, row++, 1, 1, 3);
    lblQuery = NewLabel(QStringLiteral("lblQuery"), QStringLiteral("Query"), edtQuery);
    grid->addWidget(lblQuery, row, 0, Qt::AlignTop);
    grid->addWidget(edtQuery, row++, 1, 1, 3);
    grid->addWidget(btnShowLob, row++, 1);
    grid->addWidget(NewLabel(QStringLiteral("Label1"), QStringLiteral("Lob Field: "), cbLobField), row, 0);
    grid->addWidget(cbLobField, row++, 1, 1, 3);
    grid->addWidget(NewLabel(QStringLiteral("Label6"), QStringLiteral("File Name:"), rgName), row, 0, Qt::AlignTop);
    grid->addWidget(rgName, row, 1, 2, 1);
    grid->addWidget(cbNameField, row++, 2, 1, 2);
    auto* Label7 = new QLabel(QStringLiteral("1, 2, 3 ..."), InputPanel());
    Label7->setObjectName(QStringLiteral("Label7"));
    grid->addWidget(Label7, row++, 2, 1, 2);
    grid->addWidget(NewLabel(QStringLiteral("Label2"), QStringLiteral("File Extension:"), rgExt), row, 0, Qt::AlignTop);
    grid->addWidget(rgExt, row, 1, 2, 1);
    grid->addWidget(cbExtField, row++, 2, 1, 2);
    grid->addWidget(edtExt, row++, 2, 1, 2);
    grid->addWidget(NewLabel(QStringLiteral("Label3"), QStringLiteral("Save To: "), deSaveTo), row, 0);
    grid->addWidget(deSaveTo, row++, 1, 1, 3);
    grid->addWidget(NewLabel(QStringLiteral("Label5"), QStringLiteral("Sub Folders:"), rgSubFolders), row, 0,
                    Qt::AlignTop);
    grid->addWidget(rgSubFolders, row, 1, 3, 1);
    grid->addWidget(seSubCount, row + 1, 2);
    auto* Label4 = new QLabel(QStringLiteral("Files"), InputPanel());
    Label4->setObjectName(QStringLiteral("Label4"));
    grid->addWidget(Label4, row + 1, 3);
    grid->addWidget(cbSubFolderField, row + 2, 2, 1, 2);
    LayOutButtons({btnExport, btnStop, btnSave});
    FinishLayout();
    lblQuery->hide();
    edtQuery->hide();

    SetSchemaTableCombos(cbbSchema, cbTable);
    On(rgFromType, &TRadioGroup::Clicked, [this] { rgFromTypeClick(); });
    On(rgExt, &TRadioGroup::Clicked, [this] { rgExtClick(); });
    On(btnShowLob, &QPushButton::clicked, [this] { btnShowLobClick(); });
    On(btnExport, &QPushButton::clicked, [this] { btnExportClick(); });
    On(btnStop, &QPushButton::clicked, [this] { btnStopClick(); });
    On(btnSave, &QPushButton::clicked, [this] { btnSaveClick(); });

    BindTask(FSession.get(), FExecutor.get(), btnStop, {btnExport, btnSave});
}

TLobExportForm::~TLobExportForm() = default;

void TLobExportForm::ClearLobFieldText()
{
    cbLobField->setCurrentIndex(-1);
}

void TLobExportForm::FillFieldLists(const TFieldTypesInfo& fields)
{
    FillFieldCombo(cbLobField, fields.LobFields());
    const QStringList names = TQuenmarelSettings::UseLobValueAsName ? fields.AllFields() : fields.OtherFields();
    FillFieldCombo(cbExtField, names);
    FillFieldCombo(cbNameField, names);
    FillFieldCombo(cbSubFolderField, names);
}

void TLobExportForm::cbTableChange()
{
    if (cbTable->currentText().trimmed().isEmpty())
        return;
    FillFieldLists(ChosenTableFields());
    // The combo only offers the catalogue's own names.
    if (cbNameField->count() == 0)
        FillFieldsFromQuery(Dictionary().GetCatalogueSelectAllSql(cbbSchema->currentText(), cbTable->currentText()));
}

void TLobExportForm::FillFieldsFromQuery(const QString& sql)
{
    cbLobField->clear();
    cbNameField->clear();
    cbExtField->clear();
    TQueryFieldTypesInfo fields;
    fields.SetConnection(Services().DBFactory->GetConnection());
    fields.LoadFromSql(sql);
    FillFieldLists(fields);
}

QString TLobExportForm::GetQueryText() const
{
    return TLobExportFormValues::QueryText(edtQuery->text());
}

void TLobExportForm::rgFromTypeClick()
{
    const bool queryMode = rgFromType->ItemIndex() == static_cast<int>(TExportFromType::Query);
    for (QWidget* control : {static_cast<QWidget*>(lblSchema), static_cast<QWidget*>(lblTable),
                             static_cast<QWidget*>(lblWhere), static_cast<QWidget*>(cbbSchema),
                             static_cast<QWidget*>(cbTable), static_cast<QWidget*>(memWhere)})
        control->setVisible(!queryMode);
    lblQuery->setVisible(queryMode);
    edtQuery->setVisible(queryMode);
    if (queryMode) {
        for (QComboBox* combo : {cbLobField, cbNameField, cbExtField, cbSubFolderField})
            combo->clear();
    } else {
        cbTableChange();
    }
}

void TLobExportForm::rgExtClick()
{
    edtExt->setEnabled(rgExt->ItemIndex() == 1);
}

void TLobExportForm::btnShowLobClick()
{
    if (rgFromType->ItemIndex() == static_cast<int>(TExportFromType::Query)) {
        if (!edtQuery->text().trimmed().isEmpty())
            FillFieldsFromQuery(GetQueryText());
    } else {
        cbTableChange();
    }
}

TLobExportFormValues TLobExportForm::Values() const
{
    TLobExportFormValues values;
    values.FromType = static_cast<TExportFromType>(rgFromType->ItemIndex());
    values.Schema = cbbSchema->currentText();
    values.Table = ChosenTableForRun();
    values.Where = memWhere->toPlainText();
    values.QueryEditorText = edtQuery->text();
    values.LobField = cbLobField->currentText();
    values.NameType = static_cast<TExportNameType>(rgName->ItemIndex());
    values.NameField = cbNameField->currentText();
    values.ExtType = static_cast<TExportExtType>(rgExt->ItemIndex());
    values.ExtField = cbExtField->currentText();
    values.Ext = edtExt->text();
    values.SaveTo = deSaveTo->FileName();
    values.SubFolderCreateType = static_cast<TSubFolderCreateType>(rgSubFolders->ItemIndex());
    values.SubCount = seSubCount->value();
    values.SubField = cbSubFolderField->currentText();
    return values;
}

void TLobExportForm::FormToSession()
{
    Values().ToSession(*FSession);
}

void TLobExportForm::SessionToForm()
{
    const TLobExportSession& session = *FSession;
    rgFromType->SetItemIndex(static_cast<int>(session.FromType));
    rgFromTypeClick();
    if (session.FromType == TExportFromType::Query) {
        edtQuery->setText(session.Query);
        if (!session.Query.trimmed().isEmpty())
            FillFieldsFromQuery(GetQueryText());
    } else {
        SelectOrClear(cbbSchema, session.Schema);
        if (!cbbSchema->currentText().isEmpty())
            cbbSchemaChange();
        SelectTableOfRun(session.Table);
        cbTableChange();
        memWhere->setPlainText(session.Where);
    }
    SelectOrClear(cbLobField, session.LobField);
    rgName->SetItemIndex(static_cast<int>(session.NameType));
    SelectOrClear(cbNameField, session.NameField);
    rgExt->SetItemIndex(static_cast<int>(session.ExtType));
    SelectOrClear(cbExtField, session.ExtField);
    rgExtClick();
    edtExt->setText(session.Ext);
    deSaveTo->SetFileName(session.UnloadFolder);
    rgSubFolders->SetItemIndex(static_cast<int>(session.SubFolderCreateType));
    seSubCount->setValue(session.SubCount);
    SelectOrClear(cbSubFolderField, session.SubField);
}

bool TLobExportForm::Validate()
{
    return ShowValidation(Values().Validate());
}

void TLobExportForm::btnExportClick()
{
    if (Validate())
        RunExport();
}

void TLobExportForm::btnStopClick()
{
    StopRun();
}

void TLobExportForm::btnSaveClick()
{
    SaveTask();
}


#include "ULobMergeForm.h"

#include "UBrowseFileEdit.h"
#include "transfer/ULobMerger.h"
#include "transfer/UTableFieldTypesInfo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TLobMergeForm::TLobMergeForm(QWidget* parent, const TTransferServices& services)
    : TLobTransferForm(services, QStringLiteral("Output"), parent),
      cbbSchema(NewCombo(QStringLiteral("cbbSchema"))),
      cbTable(NewCombo(QStringLiteral("cbTable"), true)),
      cbLobField(NewCombo(QStringLiteral("cbLobField"), true)),
      memWhere(new QPlainTextEdit(InputPanel())),
      edtSaveFile(new TBrowseFileEdit(InputPanel())),
      btnSave(NewButton(QStringLiteral("btnSave"), QStringLiteral("Save"))),
      btnStop(NewButton(QStringLiteral("btnStop"), QStringLiteral("Stop")))
{
    setObjectName(QStringLiteral("TLobMergeForm"));
    setWindowTitle(QStringLiteral("Merge LOBs to a file"));
    setSizeGripEnabled(true);

    memWhere->setObjectName(QStringLiteral("memWhere"));
    memWhere->setToolTip(QStringLiteral("For example: where rownum<=100, \nor: where filetype='pdf'"));
    memWhere->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memWhere->setTabChangesFocus(true);
    edtSaveFile->setObjectName(QStringLiteral("edtSaveFile"));
    edtSaveFile->SetDialogKind(TBrowseFileEdit::dkSave);
    edtSaveFile->SetTitle(QStringLiteral("Save to file"));
    btnStop->setEnabled(false);

    auto* grid = new QGridLayout(InputPanel());
    int row = 0;
    const auto addRow = [&](QLabel* label, QWidget* field) {
        grid->addWidget(label, row, 0, Qt::AlignTop);
        grid->addWidget(field, row++, 1);
    };
    addRow(NewLabel(QStringLiteral("lbl1"), QStringLiteral("Schema"), cbbSchema), cbbSchema);
    addRow(NewLabel(QStringLiteral("Label5"), QStringLiteral("Table: "), cbTable), cbTable);
    addRow(NewLabel(QStringLiteral("Label1"), QStringLiteral("Lob Field: "), cbLobField), cbLobField);
    addRow(NewLabel(QStringLiteral("lblWhere"), QStringLiteral("Where clause:"), memWhere), memWhere);
    addRow(NewLabel(QStringLiteral("lbl2"), QStringLiteral("Save to file: "), edtSaveFile), edtSaveFile);
    LayOutButtons({btnSave, btnStop});
    FinishLayout();

    SetSchemaTableCombos(cbbSchema, cbTable);
    On(btnSave, &QPushButton::clicked, [this] { btnSaveClick(); });
    On(btnStop, &QPushButton::clicked, [this] { btnStopClick(); });
}

TLobMergeForm::~TLobMergeForm() = default;

void TLobMergeForm::ClearLobFieldText()
{
    cbLobField->setCurrentIndex(-1);
    cbLobField->clearEditText();
}

void TLobMergeForm::cbTableChange()
{
    if (cbTable->currentText().isEmpty())
        return;
    FillFieldCombo(cbLobField, ChosenTableFields().LobFields());
}

TLobMergeFormValues TLobMergeForm::Values() const
{
    return {cbbSchema->currentText(), ChosenTableForRun(), memWhere->toPlainText(), cbLobField->currentText(),
            edtSaveFile->FileName()};
}

bool TLobMergeForm::Validate()
{
    return ShowValidation(Values().Validate());
}

void TLobMergeForm::RunMerge()
{
    FMerger = std::make_unique<TLobMerger>();
    Values().ToMerger(*FMerger);
    Outputer().SetStatus(&FMerger->Status());
    Outputer().Attach();
    // The merger goes before the exception reaches the application's handler.
    try {
        GuardRun(btnStop, {btnSave}, [this] { FMerger->Convert(); });
    } catch (...) {
        FMerger.reset();
        throw;
    }
    FMerger.reset();
}

void TLobMergeForm::btnSaveClick()
{
    if (Validate())
        RunMerge();
}

void TLobMergeForm::btnStopClick()
{
    StopRun();
}

void TLobMergeForm::StopRun()
{
    if (FMerger)
        FMerger->Stop();
}

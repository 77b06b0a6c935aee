#include "ULobTransferForm.h"

#include "URadioGroup.h"

#include "app/UQuenmarel.h"
#include "base/UPrompter.h"
#include "widgets/UUIUtil.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The progress page stretches one inner widget, which holds the rows, over
// itself, and has no layout of its own. The labels' texts change at every
// progress step, and each change asks the layouts above for room; stopping
// that here keeps the tab widget, splitter and dialog from laying out and
// repainting whole at every step.
class TProgressPage : public QWidget {
public:
    QWidget* const Rows = new QWidget(this);
    QSize sizeHint() const override { return Rows->sizeHint(); }
    QSize minimumSizeHint() const override { return Rows->minimumSizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        Rows->setGeometry(rect());
    }
};

}  // namespace

TTransferServices TTransferServices::FromApp()
{
    TQuenmarel* app = TQuenmarel::GetApp();
    return {app->GetDBObjectFactory(), app->GetLobObjectFactory(), app->GetSessionManager()};
}

TLobTransferForm::TLobTransferForm(const TTransferServices& services, const QString& logTabCaption,
                                   QWidget* parent)
    : QDialog(parent),
      FSplitter(new QSplitter(Qt::Vertical, this)),
      pgcOutput(new QTabWidget()),
      tsProgress(new TProgressPage()),
      tsOutput(new QWidget()),
      lblMessage(new QLabel(tsProgress)),
      lblPercent(new QLabel(tsProgress)),
      lblNotify(new QLabel(tsProgress)),
      pbSave(new QProgressBar(tsProgress)),
      memOutput(new QPlainTextEdit(tsOutput)),
      FServices(services),
      FInputPanel(new QWidget()),
      FButtonRow(new QWidget())
{
    pgcOutput->setObjectName(QStringLiteral("pgcOutput"));
    tsProgress->setObjectName(QStringLiteral("tsProgress"));
    tsOutput->setObjectName(QStringLiteral("tsOutput"));
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblPercent->setObjectName(QStringLiteral("lblPercent"));
    lblNotify->setObjectName(QStringLiteral("lblNotify"));
    pbSave->setObjectName(QStringLiteral("pbSave"));
    memOutput->setObjectName(QStringLiteral("memOutput"));
    pbSave->setAccessibleName(QStringLiteral("Progress"));
    memOutput->setAccessibleName(logTabCaption);
    memOutput->setReadOnly(true);
    memOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblMessage->setAlignment(Qt::AlignCenter);
    // The summary breaks into lines rather than lose its end at the edge.
    lblMessage->setWordWrap(true);
    lblNotify->setWordWrap(true);

    auto* progressLayout = new QVBoxLayout(static_cast<TProgressPage*>(tsProgress)->Rows);
    progressLayout->addWidget(lblMessage);
    auto* barRow = new QHBoxLayout();
    barRow->addWidget(pbSave, 1);
    barRow->addWidget(lblPercent);
    progressLayout->addLayout(barRow);
    progressLayout->addWidget(lblNotify);
    progressLayout->addStretch(1);
    auto* outputLayout = new QVBoxLayout(tsOutput);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    outputLayout->addWidget(memOutput);
    pgcOutput->addTab(tsProgress, QStringLiteral("Progress"));
    pgcOutput->addTab(tsOutput, logTabCaption);

    FOutputer.Init(pbSave, lblMessage, lblNotify, lblPercent, memOutput);
}

void TLobTransferForm::FinishLayout()
{
    auto* top = new QWidget();
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(FInputPanel);
    topLayout->addWidget(FButtonRow);
    FSplitter->addWidget(top);
    FSplitter->addWidget(pgcOutput);
    FSplitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FSplitter);
}

void TLobTransferForm::SetSchemaTableCombos(QComboBox* schemaCombo, QComboBox* tableCombo)
{
    FSchemaCombo = schemaCombo;
    FTableCombo = tableCombo;
    On(schemaCombo, &QComboBox::activated, [this] { cbbSchemaChange(); });
    On(tableCombo, &QComboBox::activated, [this] { cbTableChange(); });
}

void TLobTransferForm::LayOutButtons(const QList<QPushButton*>& buttons)
{
    auto* row = new QHBoxLayout(FButtonRow);
    row->addStretch(1);
    for (QPushButton* button : buttons)
        row->addWidget(button);
}

bool TLobTransferForm::PickedFromTheList(const QString& table) const
{
    // The list holds the catalogue's names; an editable one may hold a typed name.
    return FTableCombo->findText(table, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

QString TLobTransferForm::RunTableName(const QString& table) const
{
    const TDBDictionary& dictionary = Dictionary();
    const QString exact = dictionary.GetCatalogueQualifiedName(QString(), table);
    return dictionary.GetQualifiedName(QString(), table) == exact ? table : exact;
}

QString TLobTransferForm::ChosenTableForRun() const
{
    const QString table = FTableCombo->currentText();
    return PickedFromTheList(table) ? RunTableName(table) : table;
}

void TLobTransferForm::SelectTableOfRun(const QString& table)
{
    for (int i = 0; i < FTableCombo->count(); ++i) {
        const QString item = FTableCombo->itemText(i);
        if (item != table && RunTableName(item) == table) {
            FTableCombo->setCurrentIndex(i);
            return;
        }
    }
    SelectOrClear(FTableCombo, table);
}

TTableFieldTypesInfo TLobTransferForm::ChosenTableFields() const
{
    TTableFieldTypesInfo fields;
    fields.SetFactory(FServices.DBFactory);
    const QString table = FTableCombo->currentText();
    if (PickedFromTheList(table))
        fields.LoadCatalogueTable(FSchemaCombo->currentText(), table);
    else
        fields.LoadTable(FSchemaCombo->currentText(), table);
    return fields;
}

void TLobTransferForm::FillFieldCombo(QComboBox* combo, const QStringList& fields)
{
    combo->clear();
    combo->addItems(fields);
    combo->setCurrentIndex(fields.isEmpty() ? -1 : 0);
}

TDBDictionary& TLobTransferForm::Dictionary() const
{
    return *FServices.DBFactory->GetDictionary();
}

QLabel* TLobTransferForm::NewLabel(const QString& name, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption, FInputPanel);
    label->setObjectName(name);
    label->setBuddy(buddy);
    if (buddy->accessibleName().isEmpty())
        buddy->setAccessibleName(caption.trimmed().remove(QLatin1Char(':')));
    return label;
}

QComboBox* TLobTransferForm::NewCombo(const QString& name, bool editable)
{
    auto* combo = new QComboBox(FInputPanel);
    combo->setObjectName(name);
    combo->setEditable(editable);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(16);
    return combo;
}

QCheckBox* TLobTransferForm::NewCheck(const QString& name, const QString& caption)
{
    auto* check = new QCheckBox(caption, FInputPanel);
    check->setObjectName(name);
    return check;
}

TRadioGroup* TLobTransferForm::NewRadioGroup(const QString& name, const QStringList& items, int columns)
{
    auto* group = new TRadioGroup(items, columns, FInputPanel);
    group->setObjectName(name);
    group->SetItemIndex(0);
    return group;
}

QPushButton* TLobTransferForm::NewButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, FButtonRow);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void TLobTransferForm::SelectOrClear(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text, Qt::MatchFixedString);
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable())
        combo->clearEditText();
}

void TLobTransferForm::FillSchemas()
{
    const TDBDictionary& dictionary = Dictionary();
    const QStringList schemas = dictionary.GetDatabases();
    const QString current = dictionary.GetCurrentDatabase();
    const QStringList tables = dictionary.GetTables(current);
    FSchemaCombo->clear();
    FSchemaCombo->addItems(schemas);
    SelectOrClear(FSchemaCombo, current);
    FTableCombo->clear();
    FTableCombo->addItems(tables);
    FTableCombo->setCurrentIndex(tables.isEmpty() ? -1 : 0);
    cbTableChange();
}

void TLobTransferForm::SelectTable(const QString& schema, const QString& table)
{
    if (!schema.isEmpty() && FSchemaCombo->count() > 0)
        SelectOrClear(FSchemaCombo, schema);
    if (!table.isEmpty() && FTableCombo->count() > 0)
        SelectOrClear(FTableCombo, table);
    cbTableChange();
}

void TLobTransferForm::cbbSchemaChange()
{
    ClearLobFieldText();
    const QStringList tables = Dictionary().GetTables(FSchemaCombo->currentText());
    const QString typed = FTableCombo->currentText();
    FTableCombo->clear();
    FTableCombo->addItems(tables);
    // The list was replaced: a typed name stays only in an editable combo.
    const int index = FTableCombo->findText(typed);
    if (index >= 0)
        FTableCombo->setCurrentIndex(index);
    else if (!tables.isEmpty())
        FTableCombo->setCurrentIndex(0);
    cbTableChange();
}

bool TLobTransferForm::ShowValidation(const TValidationResult& result)
{
    if (!result)
        return true;
    TPrompter::Instance().ShowMessage(result->Message);
    FocusControlSafely(findChild<QWidget*>(result->Control));
    return false;
}

void TLobTransferForm::GuardRun(QPushButton* stopButton, const QList<QWidget*>& runButtons,
                                const std::function<void()>& run)
{
    if (FRunning)
        return;
    QList<bool> wasEnabled;
    for (QWidget* button : runButtons) {
        wasEnabled << button->isEnabled();
        button->setEnabled(false);
    }
    // The panel's children keep their own states under a disabled panel.
    FInputPanel->setEnabled(false);
    stopButton->setEnabled(true);
    FRunning = true;
    const auto afterRun = [&] {
        FRunning = false;
        stopButton->setEnabled(false);
        FInputPanel->setEnabled(true);
        for (int i = 0; i < runButtons.size(); ++i)
            runButtons[i]->setEnabled(wasEnabled[i]);
        if (FClosePending) {
            FClosePending = false;
            reject();
        }
    };
    try {
        run();
    } catch (...) {
        afterRun();
        throw;
    }
    afterRun();
}

void TLobTransferForm::reject()
{
    if (FRunning) {
        FClosePending = true;
        StopRun();
        return;
    }
    GuardedCall([this] { CloseQuery(); });
    QDialog::reject();
}

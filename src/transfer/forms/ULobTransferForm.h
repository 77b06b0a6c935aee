#pragma once

#include "UFormValidation.h"
#include "UProgressConvertOutputer.h"
#include "base/UAppException.h"
#include "transfer/UTableFieldTypesInfo.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class TDBDictionary;
class TRadioGroup;
class TDBObjectFactory;
class TLobObjectFactory;
class TSessionManager;

// The application object's services a transfer dialog uses; tests hand in
// their own.
struct TTransferServices {
    TDBObjectFactory* DBFactory = nullptr;
    TLobObjectFactory* LobFactory = nullptr;
    TSessionManager* SessionManager = nullptr;

    // Those of the application object; raises when there is none.
    static TTransferServices FromApp();
};

// What the import, export and merge dialogs share: the schema and table
// combos, the progress and log pages below a splitter with their outputer,
// and the guard of a run on the user-interface thread. During a run only
// Stop and the output pages are live; closing presses Stop and the dialog
// closes once the run has returned, so it is never freed under a run.
class TLobTransferForm : public QDialog {
    Q_OBJECT
public:
    bool Running() const { return FRunning; }

    // Schemas with the current one selected, the tables of the current
    // schema with the first selected, then the table change.
    void FillSchemas();
    // Preselects a schema (the table list is not reloaded) and a table; a
    // name that is not listed leaves its combo without a selection.
    void SelectTable(const QString& schema, const QString& table);

    TProgressConvertOutputer& Outputer() { return FOutputer; }

    // The item equal to text (letter case aside), else no selection.
    static void SelectOrClear(QComboBox* combo, const QString& text);

public Q_SLOTS:
    // Esc and the window's close button: Stop during a run, else the close
    // query and close.
    void reject() override;

protected:
    TLobTransferForm(const TTransferServices& services, const QString& logTabCaption, QWidget* parent);

    // The inputs go into InputPanel(), the run buttons into ButtonRow();
    // FinishLayout puts them above the output pages.
    QWidget* InputPanel() const { return FInputPanel; }
    QWidget* ButtonRow() const { return FButtonRow; }
    void FinishLayout();

    // The dialog's schema and table combos, made by the subclass; a choice
    // in them runs the schema or table change.
    void SetSchemaTableCombos(QComboBox* schemaCombo, QComboBox* tableCombo);
    // The run buttons, right-aligned in the button row.
    void LayOutButtons(const QList<QPushButton*>& buttons);
    virtual void cbbSchemaChange();
    virtual void cbTableChange() = 0;
    // Empties the large-object field combo's text on a schema change.
    virtual void ClearLobFieldText() = 0;

    // Shows the first failure and focuses its control when it can take the
    // focus; true when there was none.
    bool ShowValidation(const TValidationResult& result);

    // Runs run with the inputs and the given buttons disabled and Stop
    // enabled; afterwards everything is as before and a close asked for
    // during the run happens. An exception goes on after the cleanup.
    void GuardRun(QPushButton* stopButton, const QList<QWidget*>& runButtons, const std::function<void()>& run);
    virtual void StopRun() = 0;
    // The close query of an idle dialog; nothing by default.
    virtual void CloseQuery() {}

    TDBDictionary& Dictionary() const;
    // A name of the list as a run names it (see ChosenTableForRun).
    QString RunTableName(const QString& table) const;
    // The columns of the table the schema and table combos name.
    TTableFieldTypesInfo ChosenTableFields() const;
    // Whether the table combo's text is one of its items, which are names
    // read from the server's catalogue.
    bool PickedFromTheList(const QString& table) const;
    // The chosen table as a task file or a merge names it. Those follow the
    // rules of typed names (trimmed, a quoted name kept as it is), so a
    // picked name that they would read as another table goes quoted.
    QString ChosenTableForRun() const;
    // Chooses the table a task file names, as ChosenTableForRun writes it;
    // clears the choice when the list has none such.
    void SelectTableOfRun(const QString& table);
    // Replaces a field combo's items; the first is chosen, none when empty.
    static void FillFieldCombo(QComboBox* combo, const QStringList& fields);

    // Controls named after their component, on the input panel unless a
    // parent is given. A label is the buddy's label and gives it its
    // accessible name.
    QLabel* NewLabel(const QString& name, const QString& caption, QWidget* buddy);
    QComboBox* NewCombo(const QString& name, bool editable = false);
    QCheckBox* NewCheck(const QString& name, const QString& caption);
    TRadioGroup* NewRadioGroup(const QString& name, const QStringList& items, int columns);
    QPushButton* NewButton(const QString& name, const QString& caption);
    const TTransferServices& Services() const { return FServices; }

    // A guarded slot for a signal.
    template <class Sender, class Signal>
    void On(Sender* sender, Signal signal, std::function<void()> handler);

    QSplitter* FSplitter;
    QTabWidget* pgcOutput;
    QWidget* tsProgress;
    QWidget* tsOutput;
    QLabel* lblMessage;
    QLabel* lblPercent;
    QLabel* lblNotify;
    QProgressBar* pbSave;
    QPlainTextEdit* memOutput;

private:
    TTransferServices FServices;
    TProgressConvertOutputer FOutputer;
    QWidget* FInputPanel;
    QWidget* FButtonRow;
    QComboBox* FSchemaCombo = nullptr;
    QComboBox* FTableCombo = nullptr;
    bool FRunning = false;
    bool FClosePending = false;
};

template <class Sender, class Signal>
void TLobTransferForm::On(Sender* sender, Signal signal, std::function<void()> handler)
{
    connect(sender, signal, this, Guarded([handler = std::move(handler)] { handler(); }));
}

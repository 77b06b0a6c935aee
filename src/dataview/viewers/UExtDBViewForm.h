#pragma once

#include "dataview/UDBViewForm.h"
#include "dataview/UFileTypeList.h"

class QLineEdit;
class QListWidget;
class QPushButton;

// The Open With tab: writes the value to a temporary file with a chosen
// extension and opens it with the desktop's program for that type or with a
// program the user picks.
class TExtDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    static const QString RegistryKey;
    static const QString TempFolderValue;
    // How Open starts the temporary file.
    static const QString ModeSystem;
    static const QString ModeSelect;

    explicit TExtDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::OpenWith; }
    QString Caption() const override { return QStringLiteral("Open With"); }

    const QString& TempFolder() const { return FTempFolder; }
    const QString& TempFile() const { return FTempFile; }
    const QString& OpenMode() const { return FOpenMode; }
    QLineEdit* ExtensionEdit() const { return FExt; }
    QLineEdit* TempFolderEdit() const { return FTempFolderEdit; }
    QLineEdit* ProgramEdit() const { return FProgram; }
    QListWidget* List() const { return FList; }
    QPushButton* GetButton() const { return FGet; }

    // The handlers, as the buttons and the list run them.
    void ShowFileFormatList();
    void ChooseSelectedType();
    void SetTempFolderText(const QString& folder);
    void SetProgramText(const QString& program);
    void OpenTempFile();
    void ClearTempFile();

    // The list built by the first Show File Format List of this run.
    static const QList<TFileTypeEntry>* SharedFileTypes();
    static void ForgetFileTypes();

private:
    void ShowList(const QList<TFileTypeEntry>& entries);
    QString TempFilePath() const;

    QString FTempFolder;
    QString FTempFile;
    QString FOpenMode;
    QList<TFileTypeEntry> FEntries;
    QLineEdit* FExt;
    QLineEdit* FTempFolderEdit;
    QLineEdit* FProgram;
    QListWidget* FList;
    QPushButton* FGet;
};

#include "UWidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
QString TitleOr(const QString& title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

QMessageBox::Icon IconOf(TPromptKind kind)
{
    switch (kind) {
    case TPromptKind::Information:
        return QMessageBox::Information;
    case TPromptKind::Warning:
        return QMessageBox::Warning;
    case TPromptKind::Error:
        return QMessageBox::Critical;
    case TPromptKind::Question:
        break;
    }
    return QMessageBox::Question;
}

// Runs a file dialog set up from options; the chosen files, empty when cancelled.
QStringList RunFileDialog(const TFileDialogOptions& options, QFileDialog::AcceptMode mode,
                          QFileDialog::FileMode fileMode)
{
    QFileDialog dialog(QApplication::activeWindow(), TitleOr(options.Title), options.InitialDir);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    const QStringList filters = FileDialogFilters(options.Filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!options.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(options.DefaultExt);
    if (!options.FileName.isEmpty())
        dialog.selectFile(options.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return QStringList();
    return dialog.selectedFiles();
}

QString FirstOf(const QStringList& files)
{
    return files.isEmpty() ? QString() : files.first();
}
}

TPromptAnswer TWidgetPrompter::Ask(const QString& text, TPromptButtons buttons, TPromptKind kind,
                                   const QString& title)
{
    QMessageBox box(IconOf(kind), TitleOr(title), text, QMessageBox::NoButton, QApplication::activeWindow());
    const struct {
        TPromptButton button;
        QMessageBox::StandardButton standard;
        TPromptAnswer answer;
    } map[] = {
        {pbYes, QMessageBox::Yes, TPromptAnswer::Yes},
        {pbNo, QMessageBox::No, TPromptAnswer::No},
        {pbOK, QMessageBox::Ok, TPromptAnswer::OK},
        {pbCancel, QMessageBox::Cancel, TPromptAnswer::Cancel},
    };
    if ((buttons & (pbYes | pbNo | pbOK | pbCancel)) == 0)
        buttons = pbOK;
    for (const auto& m : map) {
        if (buttons & m.button)
            box.addButton(m.standard);
    }
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    for (const auto& m : map) {
        if (chosen == m.standard && (buttons & m.button))
            return m.answer;
    }
    return EscapeAnswer(buttons);
}

bool TWidgetPrompter::InputText(const QString& title, const QString& label, QString& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), TitleOr(title), label,
                                               QLineEdit::Normal, value, &ok);
    if (ok)
        value = text;
    return ok;
}

QString TWidgetPrompter::OpenFileName(const TFileDialogOptions& options)
{
    return FirstOf(RunFileDialog(options, QFileDialog::AcceptOpen, QFileDialog::ExistingFile));
}

QStringList TWidgetPrompter::OpenFileNames(const TFileDialogOptions& options)
{
    return RunFileDialog(options, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString TWidgetPrompter::SaveFileName(const TFileDialogOptions& options)
{
    return FirstOf(RunFileDialog(options, QFileDialog::AcceptSave, QFileDialog::AnyFile));
}

QString TWidgetPrompter::SelectFolder(const QString& title, const QString& initialDir)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), TitleOr(title), initialDir);
}

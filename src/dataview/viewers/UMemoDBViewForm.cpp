#include "UMemoDBViewForm.h"

#include "base/UAppException.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/UTextCodec.h"
#include "settings/URegUtil.h"
#include "dataview/UFindDialog.h"
#include "dataview/UReplaceDialog.h"
#include "dataview/UTextSearch.h"
#include "dataview/UValueTextEdit.h"
#include "dataview/UValueTextReader.h"
#include "platform/dac/UFieldDataLink.h"

#include <QAction>
#include <QFile>
#include <QSaveFile>
#include <QFontDialog>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

const QString TMemoDBViewForm::FontKey = QStringLiteral("Software\\corvanta\\Vantorquill");
const QString TMemoDBViewForm::FontValueName = QStringLiteral("font");

TMemoDBViewForm::TMemoDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("MemoDBViewForm"));
    FMemo = new TValueTextEdit(this);
    FMemo->setObjectName(QStringLiteral("DBMemo"));
    FMemo->setAccessibleName(QStringLiteral("Text"));
    FMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FMemo);

    const QString fontText = RegReadString(FontKey, FontValueName);
    TFontInfo font;
    if (!fontText.isEmpty())
        UFontUtil::TextToFont(fontText, font, true);
    UseFont(font);

    FSearchFind = new QAction(QStringLiteral("&Find..."), this);
    FSearchFind->setObjectName(QStringLiteral("SearchFind1"));
    FSearchFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    FSearchFindNext = new QAction(QStringLiteral("Find &Next"), this);
    FSearchFindNext->setObjectName(QStringLiteral("SearchFindNext1"));
    FSearchFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    FSearchReplace = new QAction(QStringLiteral("&Replace"), this);
    FSearchReplace->setObjectName(QStringLiteral("SearchReplace1"));
    connect(FSearchFind, &QAction::triggered, this, Guarded([this](auto&&...) { ShowFind(); }));
    connect(FSearchFindNext, &QAction::triggered, this, Guarded([this](auto&&...) { FindNext(); }));
    connect(FSearchReplace, &QAction::triggered, this, Guarded([this](auto&&...) { ShowReplace(); }));
    SetSearchActions(FSearchFind, FSearchFindNext, FSearchReplace);

    connect(FMemo, &QPlainTextEdit::textChanged, this, Guarded([this](auto&&...) { MemoChanged(); }));
    connect(FMemo, &TValueTextEdit::Loaded, this, Guarded([this](auto&&...) { ValueShown(); }));
}

QString TMemoDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Text file (*.txt)|*.txt|All (*.*)|*.*");
}

void TMemoDBViewForm::UseFont(const TFontInfo& font)
{
    FFont = font;
    FMemo->setFont(font.ToQFont());
    QPalette palette = FMemo->palette();
    palette.setColor(QPalette::Text, UColorUtil::ToQColor(font.Color));
    FMemo->setPalette(palette);
}

void TMemoDBViewForm::ApplyFont(const TFontInfo& font)
{
    UseFont(font);
    RegWriteString(FontKey, FontValueName, UFontUtil::FontToText(font, true));
}

void TMemoDBViewForm::ChangeFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FFont.ToQFont(), this);
    if (!ok)
        return;
    TFontInfo font = FFont;
    font.AssignFont(chosen);
    ApplyFont(font);
}

void TMemoDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    ShowValue();
}

void TMemoDBViewForm::ShowValue()
{
    FMemo->setReadOnly(true);
    FUserChanged = false;
    SetNote(QString());
    FLoading = true;
    if (TField* field = Field()) {
        FMemo->Load(*field);
    } else {
        FMemo->Unload();
        FValueText = TValueText();
        ValueShown();
    }
}

void TMemoDBViewForm::ValueShown()
{
    TField* field = Field();
    if (field)
        FValueText = FMemo->Result();
    FLoading = false;
    const bool canEdit = field && !DataLink()->ReadOnly() && DataLink()->CanModify();
    FMemo->setReadOnly(!canEdit || !FValueText.Faithful());
    SetNote(field ? FValueText.Note() : QString());
}

void TMemoDBViewForm::DataChanged()
{
    ShowValue();
}

void TMemoDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FLoading = true;
    FMemo->Unload();
    FLoading = false;
    FUserChanged = false;
}

void TMemoDBViewForm::MemoChanged()
{
    if (FLoading || !Bound() || FMemo->isReadOnly())
        return;
    if (DataLink()->Edit()) {
        DataLink()->SetModified();
        FUserChanged = true;
    }
}

void TMemoDBViewForm::CommitToField()
{
    if (!Bound() || !FUserChanged || !DataLink()->Editing())
        return;
    // Raises, the text kept, when a typed character has no place in the
    // value's encoding.
    WriteValue(FValueText.Encode(FMemo->toPlainText()));
    FUserChanged = false;
}

QString TMemoDBViewForm::ToLfLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    // A final break ends the last line; it does not start another.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString result;
    for (const QString& line : lines)
        result += line + QLatin1Char('\n');
    return result;
}

void TMemoDBViewForm::SaveToFile()
{
    QString fileName;
    if (!AskFileToSave(fileName))
        return;
    // The stored value, not unsaved typing, read and written in pieces.
    TField* field = Field();
    TValueTextReader stored(*field);
    // The file takes its new text only when all of it was read and written.
    QSaveFile file(fileName);
    const auto failed = [&] {
        return FileError("write", fileName, file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly))
        throw failed();
    QChar last;
    while (!stored.AtEnd()) {
        QString text = stored.Next();
        if (text.isEmpty())
            continue;
        // A CR left alone by the reader is a line break of its own.
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        last = text.back();
        const QByteArray bytes = EncodeText(text, TTextEncoding::Utf8);
        if (file.write(bytes) != bytes.size())
            throw failed();
    }
    if ((!last.isNull() && last != QLatin1Char('\n') && file.write("\n") != 1) || !file.commit())
        throw failed();
    ReportSaved(fileName);
}

void TMemoDBViewForm::LoadFromFile()
{
    QString fileName;
    if (!AskFileToLoad(fileName))
        return;
    const QString text = ToLfLines(DecodeText(ReadWholeFile(fileName)));
    // Written in the encoding the value was read in.
    TField* field = Field();
    const TValueTextReader current(*field);
    const QByteArray bytes = EncodeTextStrict(text, current.Encoding());
    DataLink()->Edit();
    field->SetAsBytes(bytes);
}

void TMemoDBViewForm::ShowFind()
{
    if (!FFindDialog) {
        FFindDialog = new TFindDialog(this);
        connect(FFindDialog, &TFindDialog::FindNextRequested, this, Guarded([this](auto&&...) {
                    TPlainTextSearcher(FMemo).FindNext(FFindDialog->FindText(), FFindDialog->Options());
                }));
    }
    const QString selected = FMemo->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        FFindDialog->SetFindText(selected);
    FFindDialog->show();
    FFindDialog->raise();
}

void TMemoDBViewForm::FindNext()
{
    if (!FFindDialog || FFindDialog->FindText().isEmpty()) {
        ShowFind();
        return;
    }
    TPlainTextSearcher(FMemo).FindNext(FFindDialog->FindText(), FFindDialog->Options());
}

void TMemoDBViewForm::ShowReplace()
{
    if (!FReplaceDialog) {
        FReplaceDialog = new TReplaceDialog(this);
        connect(FReplaceDialog, &TReplaceDialog::FindNextRequested, this, Guarded([this](auto&&...) {
                    TPlainTextSearcher(FMemo).FindNext(FReplaceDialog->FindText(), FReplaceDialog->Options());
                }));
        connect(FReplaceDialog, &TReplaceDialog::ReplaceRequested, this, Guarded([this](auto&&...) {
                    TPlainTextSearcher(FMemo).Replace(FReplaceDialog->FindText(), FReplaceDialog->ReplaceText(),
                                                      FReplaceDialog->Options());
                }));
        connect(FReplaceDialog, &TReplaceDialog::ReplaceAllRequested, this, Guarded([this](auto&&...) {
                    TPlainTextSearcher(FMemo).ReplaceAll(FReplaceDialog->FindText(), FReplaceDialog->ReplaceText(),
                                                         FReplaceDialog->Options());
                }));
    }
    FReplaceDialog->show();
    FReplaceDialog->raise();
}

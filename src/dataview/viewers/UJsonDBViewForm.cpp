#include "UJsonDBViewForm.h"

#include "dataview/UValueText.h"
#include "platform/dac/UFieldDataLink.h"
#include "widgets/UQsci.h"

#include <QVBoxLayout>

TJsonDBViewForm::TJsonDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("JsonDBViewForm"));
    FEditor = new QsciScintilla(this);
    FEditor->setObjectName(QStringLiteral("edtFileContent"));
    FEditor->setAccessibleName(QStringLiteral("JSON"));
    auto* lexer = new QsciLexerJavaScript(FEditor);
    lexer->setObjectName(QStringLiteral("synJS"));
    lexer->setFont(QFont(QStringLiteral("Courier New"), 10));
    FEditor->setLexer(lexer);
    FEditor->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FEditor);
}

QString TJsonDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Json file (*.js;*.json)|*.js;*.json|Text file (*.txt)|*.txt|All (*.*)|*.*");
}

void TJsonDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    // Shown as it is: no pretty-printing, no validation.
    if (TField* field = Field())
        FEditor->setText(TValueText::Decode(field->AsBytes(), field->IsNull(), field->DataType()).Text());
}

#include "UTableCreateExecuteForm.h"

#include "widgets/UQsci.h"
#include "base/UAppException.h"
#include "db/UTableCreator.h"

#include <QFont>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

const char* const TableCreateCreated = "created";
const char* const TableCreateFailed = "failed";
const char* const TableCreateCanceled = "canceled";

QsciScintilla* NewSqlEditor(QWidget* parent, const QString& objectName)
{
    auto* editor = new QsciScintilla(parent);
    editor->setObjectName(objectName);
    editor->setAccessibleName(QStringLiteral("SQL"));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    auto* lexer = new QsciLexerSQL(editor);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    editor->setLexer(lexer);
    editor->setUtf8(true);
    return editor;
}

TTableCreateExecuteForm::TTableCreateExecuteForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TTableCreateExecuteForm"));
    setWindowTitle(QStringLiteral("Execute SQL"));
    resize(584, 441);
    edtSql = NewSqlEditor(this, QStringLiteral("edtSql"));
    BitBtn1 = new QPushButton(QStringLiteral("Execute"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edtSql);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, GuardedSlot([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, GuardedSlot([this] { BitBtn2Click(); }));
}

void TTableCreateExecuteForm::ShowScript(TTableInfo* info)
{
    FTableCreator->Generate(info);
    edtSql->setText(FTableCreator->GetScript());
    exec();
}

void TTableCreateExecuteForm::BitBtn1Click()
{
    if (FTableCreator->ExecuteSql(edtSql->text())) {
        FResult = QLatin1String(TableCreateCreated);
        accept();
    } else {
        FResult = QLatin1String(TableCreateFailed);
    }
}

void TTableCreateExecuteForm::BitBtn2Click()
{
    FResult = QLatin1String(TableCreateCanceled);
    reject();
}

#include "ULogViewerForm.h"

#include "base/UDebugHelper.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TLogViewerForm::TLogViewerForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TLogViewerForm"));
    setWindowTitle(QStringLiteral("Log"));
    resize(640, 480);
    memLog = new QPlainTextEdit(this);
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setAccessibleName(QStringLiteral("Log"));
    memLog->setReadOnly(true);
    memLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memLog);
}

void TLogViewerForm::LoadLog()
{
    memLog->setPlainText(TDebugHelper::GetLog());
}

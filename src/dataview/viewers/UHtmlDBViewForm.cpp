#include "UHtmlDBViewForm.h"

#include "dataview/UValueText.h"
#include "platform/dac/UFieldDataLink.h"

#include <QVBoxLayout>

TOfflineBrowser::TOfflineBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QVariant TOfflineBrowser::loadResource(int type, const QUrl& name)
{
    // A value may point anywhere; showing it must not read files or reach hosts.
    if (name.scheme() == QLatin1String("data"))
        return QTextEdit::loadResource(type, name);
    return {};
}

THtmlDBViewForm::THtmlDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("HtmlDBViewForm"));
    FBrowser = new TOfflineBrowser(this);
    FBrowser->setObjectName(QStringLiteral("WebBrowser"));
    FBrowser->setAccessibleName(QStringLiteral("Html"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FBrowser);
    ClearBrowser();
}

QString THtmlDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Html file (*.htm;*.html)|*.htm;*.html|Text file (*.txt)|*.txt|All (*.*)|*.*");
}

QString THtmlDBViewForm::PageOf(const QString& html)
{
    if (html.contains(QLatin1String("<html"), Qt::CaseInsensitive))
        return html;
    return QStringLiteral("<html>") + html;
}

void THtmlDBViewForm::LoadHTML(const QString& html)
{
    FBrowser->setHtml(PageOf(html));
}

void THtmlDBViewForm::ClearBrowser()
{
    FBrowser->clear();
}

void THtmlDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    if (TField* field = Field())
        LoadHTML(TValueText::Decode(field->AsBytes(), field->IsNull(), field->DataType()).Text());
}

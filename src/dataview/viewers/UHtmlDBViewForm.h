#pragma once

#include "dataview/UDBViewForm.h"

#include <QTextBrowser>

// A browser that fetches nothing: no file, no network; only data: resources
// load, and links do not navigate.
class TOfflineBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit TOfflineBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
};

// The Html tab: the value's text as a page.
class THtmlDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit THtmlDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Html; }
    QString Caption() const override { return QStringLiteral("Html"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;

    TOfflineBrowser* Browser() const { return FBrowser; }
    // The page shown: "<html>" put in front when the text has no start tag.
    static QString PageOf(const QString& html);
    void LoadHTML(const QString& html);
    void ClearBrowser();

private:
    TOfflineBrowser* FBrowser;
};

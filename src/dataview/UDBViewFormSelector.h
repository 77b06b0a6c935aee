#pragma once

#include "UBlobViewChoice.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QTabWidget;
class QWidget;
class TDBViewForm;
class TFieldDataLink;

// Creates a viewer of one kind inside a tab page.
using TViewFactory = std::function<TDBViewForm*(QWidget* parent)>;

// Creates the viewers of one kind of field editor, one tab each, and for
// every row makes the tab of the viewer to show first active.
class TDBViewFormSelector {
public:
    virtual ~TDBViewFormSelector() = default;

    // Viewer classes of other units, by kind (the pictures, documents and
    // markup viewers); a kind without one cannot be created.
    static void RegisterView(TViewKind kind, TViewFactory factory);
    static TViewFactory FactoryOf(TViewKind kind);

    void SetPageControl(QTabWidget* pageControl) { FPageControl = pageControl; }
    QTabWidget* PageControl() const { return FPageControl; }
    void SetDataLink(TFieldDataLink* dataLink) { FDataLink = dataLink; }
    TFieldDataLink* DataLink() const { return FDataLink; }

    // The tab index of the fallback viewer.
    virtual int DefaultViewIndex() const = 0;
    // Creates the tabs and viewers, then makes tab 0 active.
    virtual void CreateViews() = 0;
    // Makes the tab of the viewer chosen for the current row active, without
    // the tab-change notices.
    virtual void SelectView() = 0;
    // Runs before the user leaves the active tab.
    virtual void PageChanging() = 0;

    // The viewer of the active tab; null when it could not be created.
    TDBViewForm* CurrentView() const;
    TDBViewForm* ViewAt(int index) const;
    int IndexOfView(TViewKind kind) const;
    TDBViewForm* FindView(TViewKind kind) const;
    int ViewCount() const { return int(FViews.size()); }

protected:
    // Adds a tab with a viewer of that kind; a viewer that cannot be created
    // leaves a hidden tab and an empty entry, so indexes keep matching tabs.
    // factory: the viewer's class; empty: the one registered for the kind.
    void AddView(int imageIndex, TViewKind kind, const TViewFactory& factory = {});
    // Makes a tab active without the tab-change notices.
    void SetActiveTab(int index);
    QList<std::optional<TViewKind>> TabKinds() const;

private:
    QTabWidget* FPageControl = nullptr;
    TFieldDataLink* FDataLink = nullptr;
    QList<TDBViewForm*> FViews;
};

// The string field editor: one Text tab.
class TStringDBViewFormSelector : public TDBViewFormSelector {
public:
    int DefaultViewIndex() const override { return 0; }
    void CreateViews() override;
    void SelectView() override {}
    void PageChanging() override;
};

// The binary field editor: one Hex tab.
class TBinaryDBViewFormSelector : public TDBViewFormSelector {
public:
    int DefaultViewIndex() const override { return 0; }
    void CreateViews() override;
    void SelectView() override {}
    void PageChanging() override;
};

// The large-object editor: Text, Rich, Xml, Html, JSON, Image, PDF, Hex, Open
// With; each row opens on the viewer its type and content call for.
class TX64BlobDBViewFormSelector : public TDBViewFormSelector {
public:
    int DefaultViewIndex() const override;
    void CreateViews() override;
    void SelectView() override;
    void PageChanging() override;

    // The viewer the rules pick for the current row.
    TViewKind ChooseView() const;
};

#pragma once

#include "UXmlTreeModel.h"

#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QPlainTextEdit;
class QTreeView;
class TDBXmlEdit;
class TFieldDataLink;

// The XML editor: the element tree, the attribute list of the current
// element and the current element's source.
class TXmlForm : public QWidget {
    Q_OBJECT

public:
    TXmlForm(TDBXmlEdit* owner, QWidget* parent);

    TXmlDocument& Document() { return FDocument; }
    TXmlTreeModel* TreeModel() const { return FTreeModel; }
    TXmlAttributeModel* AttributeModel() const { return FAttributeModel; }
    QTreeView* Tree() const { return FTree; }
    QTreeView* Attributes() const { return FAttributes; }
    QPlainTextEdit* Source() const { return FSource; }
    pugi::xml_node CurrentNode() const { return FCurrent; }
    int SelectedAttribute() const { return FSelectedAttribute; }

    void ReloadTree();
    void RefreshAttributes();
    void ShowNodeSource();
    // Shows a reading error in the source pane.
    void ShowError(const QString& message);

    // The commands, as the toolbars and popups run them.
    void DeleteElement();
    void InsertElement(TXmlInsertPlace place);
    void InsertComment();
    void MoveElement(bool up);
    void AddAttribute();
    void DeleteAttribute();
    void MoveAttribute(bool up);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* NewAction(const QString& name, const QString& text, std::function<void()> run);
    void BuildElementPane(QWidget* pane);
    void BuildAttributePane(QWidget* pane);
    void CurrentChanged();
    // After a command on the element tree: reselects, saves.
    void AfterElementCommand(TXmlEditResult result, pugi::xml_node select);
    void AfterAttributeCommand(TXmlEditResult result, int select);

    TDBXmlEdit* FOwner;
    TXmlDocument FDocument;
    TXmlTreeModel* FTreeModel;
    TXmlAttributeModel* FAttributeModel;
    QTreeView* FTree = nullptr;
    QTreeView* FAttributes = nullptr;
    QPlainTextEdit* FSource = nullptr;
    pugi::xml_node FCurrent;
    int FSelectedAttribute = -1;
    // Set while a command rebuilds rows, so that the passing selection
    // changes do not change the current element.
    bool FRunning = false;
};

// Ties a TXmlForm to a field: reads the document from each new value and
// writes every change back at once.
class TDBXmlEdit : public QWidget {
    Q_OBJECT

public:
    explicit TDBXmlEdit(QWidget* parent = nullptr);

    TXmlForm* Form() const { return FForm; }
    // The field's link; null unbinds. Binding reads the value.
    void SetDataLink(TFieldDataLink* dataLink);
    bool Loaded() const { return FLoaded; }

    // The value changed (another row, a cancel, a loaded file).
    void DataChange();
    void LoadFromField();
    // Called after every change: puts the row into edit state and writes the
    // document, when one was read and the field can be changed.
    void SaveToField();
    void WriteToField();
    // A change of the document itself, not only a move of the cursor.
    void MarkChanged() { FChanged = true; }

private:
    TXmlForm* FForm;
    TFieldDataLink* FDataLink = nullptr;
    bool FLoaded = false;
    bool FSaving = false;
    bool FChanged = false;
    // The value as read: written back unchanged until the document changes.
    QByteArray FOriginal;
};

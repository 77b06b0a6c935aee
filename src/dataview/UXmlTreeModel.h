#pragma once

#include "UXmlDocument.h"

#include <QAbstractItemModel>
#include <QAbstractTableModel>
#include <functional>

// What an editing command of the XML editor did.
enum class TXmlEditResult {
    Done,          // changed
    Unchanged,     // a move at either end: nothing moved, yet the row counts as edited
    Refused,       // would store ill-formed XML, or there is nothing to act on
    AnotherRoot,   // a sibling of the root element was asked for
};

enum class TXmlInsertPlace { Before, After, Sub };

// The nodes of a document as a tree: columns "Tag" and "Value", one row per
// node in document order, children asked for when a node is expanded.
// Whitespace-only text is not shown, nor the text of an element that holds
// nothing else (that text is the element's value).
class TXmlTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { TagColumn = 0, ValueColumn = 1 };
    // The node's kind as a TXmlIcon.
    static constexpr int IconRole = Qt::UserRole + 1;
    using TIconProvider = std::function<QVariant(TXmlIcon)>;

    explicit TXmlTreeModel(TXmlDocument& document, QObject* parent = nullptr);

    // Gives the tree's icons as pictures (only where a GUI runs).
    void SetIconProvider(TIconProvider provider) { FIcons = std::move(provider); }
    // After the document was read again.
    void Reload();

    pugi::xml_node NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(pugi::xml_node node, int column = TagColumn) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The commands on the current node. A refusal changes nothing and is
    // signalled by Refused.
    TXmlEditResult Delete(pugi::xml_node node);
    TXmlEditResult Insert(pugi::xml_node node, TXmlInsertPlace place);
    TXmlEditResult InsertComment(pugi::xml_node node);
    TXmlEditResult MoveUp(pugi::xml_node node);
    TXmlEditResult MoveDown(pugi::xml_node node);
    TXmlEditResult SetName(pugi::xml_node node, const QString& name);
    TXmlEditResult SetValue(pugi::xml_node node, const QString& value);

    static QString ValueOf(pugi::xml_node node);
    QList<pugi::xml_node> VisibleChildren(pugi::xml_node parent) const;

Q_SIGNALS:
    void Refused();
    // A cell was edited through setData.
    void Edited();

private:
    TXmlEditResult Refuse();
    bool IsVisible(pugi::xml_node node) const;
    // Rebuilds the rows below parent around a change of its children.
    void ChangeChildren(pugi::xml_node parent, const std::function<void()>& change);
    TXmlEditResult Move(pugi::xml_node node, int step);
    bool CanPrecede(pugi::xml_node first, pugi::xml_node second) const;

    TXmlDocument& FDocument;
    TIconProvider FIcons;
    // The node whose rows are being rebuilt: it shows none meanwhile.
    pugi::xml_node_struct* FRebuilding = nullptr;
};

// The attributes of one element: columns "Name" and "Value".
class TXmlAttributeModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TXmlAttributeModel(TXmlDocument& document, QObject* parent = nullptr);

    void SetIconProvider(TXmlTreeModel::TIconProvider provider) { FIcons = std::move(provider); }
    // The element whose attributes are shown; only elements have any here.
    void SetElement(pugi::xml_node node);
    pugi::xml_node Element() const { return FElement; }
    pugi::xml_attribute AttributeAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    TXmlEditResult Add();
    TXmlEditResult Delete(int row);
    TXmlEditResult MoveUp(int row);
    TXmlEditResult MoveDown(int row);
    TXmlEditResult SetName(int row, const QString& name);
    TXmlEditResult SetValue(int row, const QString& value);

Q_SIGNALS:
    void Refused();
    // A cell was edited through setData.
    void Edited();

private:
    TXmlEditResult Refuse();
    bool HasAttribute(const QString& name, pugi::xml_attribute except = {}) const;
    TXmlEditResult Exchange(int first);

    TXmlDocument& FDocument;
    TXmlTreeModel::TIconProvider FIcons;
    pugi::xml_node FElement;
};

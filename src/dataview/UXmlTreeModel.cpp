#include "UXmlTreeModel.h"

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray ToUtf8(const QString& text)
{
    return text.toUtf8();
}

bool IsBlank(const char* text)
{
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n')
            return false;
    }
    return true;
}

// An element whose one child is its text: the text is the element's value.
bool HoldsOnlyText(pugi::xml_node element)
{
    const pugi::xml_node first = element.first_child();
    return element.type() == pugi::node_element && first && !first.next_sibling() &&
           first.type() == pugi::node_pcdata;
}

}  // namespace

TXmlTreeModel::TXmlTreeModel(TXmlDocument& document, QObject* parent)
    : QAbstractItemModel(parent), FDocument(document)
{
}

void TXmlTreeModel::Reload()
{
    beginResetModel();
    FRebuilding = nullptr;
    endResetModel();
}

TXmlEditResult TXmlTreeModel::Refuse()
{
    Q_EMIT Refused();
    return TXmlEditResult::Refused;
}

bool TXmlTreeModel::IsVisible(pugi::xml_node node) const
{
    if (node.type() != pugi::node_pcdata)
        return true;
    return !IsBlank(node.value()) && !HoldsOnlyText(node.parent());
}

QList<pugi::xml_node> TXmlTreeModel::VisibleChildren(pugi::xml_node parent) const
{
    QList<pugi::xml_node> children;
    if (!parent || parent.internal_object() == FRebuilding)
        return children;
    for (pugi::xml_node child : parent.children()) {
        if (IsVisible(child))
            children << child;
    }
    return children;
}

pugi::xml_node TXmlTreeModel::NodeAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(index.internalPointer()));
}

QModelIndex TXmlTreeModel::IndexOf(pugi::xml_node node, int column) const
{
    if (!node || node.type() == pugi::node_document)
        return {};
    const int row = int(VisibleChildren(node.parent()).indexOf(node));
    return row < 0 ? QModelIndex() : createIndex(row, column, node.internal_object());
}

QModelIndex TXmlTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const pugi::xml_node owner = parent.isValid() ? NodeAt(parent) : FDocument.Root();
    const QList<pugi::xml_node> children = VisibleChildren(owner);
    if (row < 0 || row >= children.size() || column < 0 || column > ValueColumn)
        return {};
    return createIndex(row, column, children[row].internal_object());
}

QModelIndex TXmlTreeModel::parent(const QModelIndex& child) const
{
    return IndexOf(NodeAt(child).parent());
}

int TXmlTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(VisibleChildren(parent.isValid() ? NodeAt(parent) : FDocument.Root()).size());
}

int TXmlTreeModel::columnCount(const QModelIndex&) const
{
    return 2;
}

bool TXmlTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QString TXmlTreeModel::ValueOf(pugi::xml_node node)
{
    switch (node.type()) {
    case pugi::node_element:
        return HoldsOnlyText(node) ? Utf8(node.first_child().value()) : QString();
    case pugi::node_declaration: {
        QStringList parts;
        for (pugi::xml_attribute attribute : node.attributes())
            parts << QStringLiteral("%1=\"%2\"").arg(Utf8(attribute.name()), Utf8(attribute.value()));
        return parts.join(QLatin1Char(' '));
    }
    default:
        return Utf8(node.value());
    }
}

QVariant TXmlTreeModel::data(const QModelIndex& index, int role) const
{
    const pugi::xml_node node = NodeAt(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole)
        return index.column() == TagColumn ? TXmlDocument::ReadableName(Utf8(node.name())) : ValueOf(node);
    if (role == Qt::EditRole)
        return index.column() == TagColumn ? Utf8(node.name()) : ValueOf(node);
    if (index.column() == TagColumn && role == IconRole)
        return int(TXmlDocument::IconOf(node));
    if (index.column() == TagColumn && role == Qt::DecorationRole && FIcons)
        return FIcons(TXmlDocument::IconOf(node));
    return {};
}

QVariant TXmlTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == TagColumn ? QStringLiteral("Tag") : QStringLiteral("Value");
}

Qt::ItemFlags TXmlTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TXmlTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const pugi::xml_node node = NodeAt(index);
    const QString text = value.toString();
    const TXmlEditResult result = index.column() == TagColumn ? SetName(node, text) : SetValue(node, text);
    if (result != TXmlEditResult::Done)
        return false;
    Q_EMIT Edited();
    return true;
}

void TXmlTreeModel::ChangeChildren(pugi::xml_node parent, const std::function<void()>& change)
{
    const QModelIndex parentIndex = IndexOf(parent);
    const int before = int(VisibleChildren(parent).size());
    if (before > 0) {
        beginRemoveRows(parentIndex, 0, before - 1);
        FRebuilding = parent.internal_object();
        endRemoveRows();
    }
    FRebuilding = parent.internal_object();
    change();
    FRebuilding = nullptr;
    const int after = int(VisibleChildren(parent).size());
    if (after > 0) {
        beginInsertRows(parentIndex, 0, after - 1);
        endInsertRows();
    }
    if (parentIndex.isValid())
        Q_EMIT dataChanged(parentIndex, parentIndex.siblingAtColumn(ValueColumn));
}

TXmlEditResult TXmlTreeModel::Delete(pugi::xml_node node)
{
    pugi::xml_node parent = node.parent();
    if (FDocument.ReadOnly() || !parent || node == FDocument.RootElement() || node.type() == pugi::node_declaration)
        return Refuse();
    ChangeChildren(parent, [&] { parent.remove_child(node); });
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlTreeModel::Insert(pugi::xml_node node, TXmlInsertPlace place)
{
    if (FDocument.ReadOnly() || !node)
        return Refuse();
    if (place == TXmlInsertPlace::Sub) {
        if (node.type() != pugi::node_element)
            return Refuse();
        ChangeChildren(node, [&] { node.prepend_child("element"); });
        return TXmlEditResult::Done;
    }
    pugi::xml_node parent = node.parent();
    if (!parent)
        return Refuse();
    if (parent.type() == pugi::node_document)
        return TXmlEditResult::AnotherRoot;
    ChangeChildren(parent, [&] {
        pugi::xml_node added = place == TXmlInsertPlace::Before ? parent.insert_child_before(pugi::node_element, node)
                                                                : parent.insert_child_after(pugi::node_element, node);
        added.set_name("element");
    });
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlTreeModel::InsertComment(pugi::xml_node node)
{
    pugi::xml_node parent = node.parent();
    if (FDocument.ReadOnly() || !parent || !CanPrecede(pugi::xml_node(), node))
        return Refuse();
    ChangeChildren(parent, [&] { parent.insert_child_before(pugi::node_comment, node).set_value("comment"); });
    return TXmlEditResult::Done;
}

// Whether first may stand just before second; an empty first stands for a
// new comment. Nothing goes before the declaration, and the document type
// stays before the root element.
bool TXmlTreeModel::CanPrecede(pugi::xml_node first, pugi::xml_node second) const
{
    if (second.type() == pugi::node_declaration)
        return false;
    return !(first.type() == pugi::node_element && second.type() == pugi::node_doctype &&
             second.parent().type() == pugi::node_document);
}

TXmlEditResult TXmlTreeModel::Move(pugi::xml_node node, int step)
{
    pugi::xml_node parent = node.parent();
    if (FDocument.ReadOnly() || !parent || node.type() == pugi::node_declaration)
        return Refuse();
    const QList<pugi::xml_node> siblings = VisibleChildren(parent);
    const qsizetype target = siblings.indexOf(node) + step;
    // At either end nothing moves, yet the row counts as edited.
    if (target < 0 || target >= siblings.size())
        return TXmlEditResult::Unchanged;
    pugi::xml_node other = siblings[target];
    if (step < 0 ? !CanPrecede(node, other) : !CanPrecede(other, node))
        return Refuse();
    ChangeChildren(parent, [&] {
        if (step < 0)
            parent.insert_move_before(node, other);
        else
            parent.insert_move_after(node, other);
    });
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlTreeModel::MoveUp(pugi::xml_node node)
{
    return Move(node, -1);
}

TXmlEditResult TXmlTreeModel::MoveDown(pugi::xml_node node)
{
    return Move(node, 1);
}

TXmlEditResult TXmlTreeModel::SetName(pugi::xml_node node, const QString& name)
{
    const bool named = node.type() == pugi::node_element ||
                       (node.type() == pugi::node_pi && name.compare(QLatin1String("xml"), Qt::CaseInsensitive) != 0);
    if (FDocument.ReadOnly() || !named || !TXmlDocument::IsXmlName(name) || !FDocument.CanWriteLiterally(name))
        return Refuse();
    node.set_name(ToUtf8(name).constData());
    const QModelIndex index = IndexOf(node);
    Q_EMIT dataChanged(index, index);
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlTreeModel::SetValue(pugi::xml_node node, const QString& value)
{
    if (FDocument.ReadOnly() || TXmlDocument::HasForbiddenChars(value))
        return Refuse();
    const QByteArray utf8 = ToUtf8(value);
    const bool literal = FDocument.CanWriteLiterally(value);
    switch (node.type()) {
    case pugi::node_element:
        if (node.first_child() && !HoldsOnlyText(node))
            return Refuse();
        if (node.first_child() || !value.isEmpty())
            ChangeChildren(node, [&] { node.text().set(utf8.constData()); });
        break;
    case pugi::node_pcdata:
        ChangeChildren(node.parent(), [&] { node.set_value(utf8.constData()); });
        break;
    case pugi::node_comment:
        if (!literal || value.contains(QLatin1String("--")) || value.endsWith(QLatin1Char('-')))
            return Refuse();
        node.set_value(utf8.constData());
        break;
    case pugi::node_pi:
        if (!literal || value.contains(QLatin1String("?>")))
            return Refuse();
        node.set_value(utf8.constData());
        break;
    case pugi::node_cdata:
        if (!literal || value.contains(QLatin1String("]]>")))
            return Refuse();
        node.set_value(utf8.constData());
        break;
    default:
        return Refuse();
    }
    const QModelIndex index = IndexOf(node, ValueColumn);
    Q_EMIT dataChanged(index, index);
    return TXmlEditResult::Done;
}

TXmlAttributeModel::TXmlAttributeModel(TXmlDocument& document, QObject* parent)
    : QAbstractTableModel(parent), FDocument(document)
{
}

TXmlEditResult TXmlAttributeModel::Refuse()
{
    Q_EMIT Refused();
    return TXmlEditResult::Refused;
}

void TXmlAttributeModel::SetElement(pugi::xml_node node)
{
    beginResetModel();
    FElement = node.type() == pugi::node_element ? node : pugi::xml_node();
    endResetModel();
}

pugi::xml_attribute TXmlAttributeModel::AttributeAt(int row) const
{
    if (row < 0)
        return {};
    int i = 0;
    for (pugi::xml_attribute attribute : FElement.attributes()) {
        if (i++ == row)
            return attribute;
    }
    return {};
}

int TXmlAttributeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::distance(FElement.attributes_begin(), FElement.attributes_end()));
}

int TXmlAttributeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TXmlAttributeModel::data(const QModelIndex& index, int role) const
{
    pugi::xml_attribute attribute = AttributeAt(index.row());
    if (!attribute)
        return {};
    if (role == Qt::DisplayRole)
        return index.column() == 0 ? TXmlDocument::ReadableName(Utf8(attribute.name())) : Utf8(attribute.value());
    if (role == Qt::EditRole)
        return Utf8(index.column() == 0 ? attribute.name() : attribute.value());
    if (index.column() == 0 && role == TXmlTreeModel::IconRole)
        return int(TXmlIcon::Attribute);
    if (index.column() == 0 && role == Qt::DecorationRole && FIcons)
        return FIcons(TXmlIcon::Attribute);
    return {};
}

QVariant TXmlAttributeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Value");
}

Qt::ItemFlags TXmlAttributeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TXmlAttributeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const TXmlEditResult result =
        index.column() == 0 ? SetName(index.row(), value.toString()) : SetValue(index.row(), value.toString());
    if (result != TXmlEditResult::Done)
        return false;
    Q_EMIT Edited();
    return true;
}

bool TXmlAttributeModel::HasAttribute(const QString& name, pugi::xml_attribute except) const
{
    const QByteArray utf8 = ToUtf8(name);
    for (pugi::xml_attribute attribute : FElement.attributes()) {
        if (attribute != except && utf8 == attribute.name())
            return true;
    }
    return false;
}

TXmlEditResult TXmlAttributeModel::Add()
{
    const QString name = QStringLiteral("attribute");
    if (FDocument.ReadOnly() || !FElement || HasAttribute(name))
        return Refuse();
    const int row = rowCount();
    beginInsertRows({}, row, row);
    FElement.append_attribute("attribute");
    endInsertRows();
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlAttributeModel::Delete(int row)
{
    pugi::xml_attribute attribute = AttributeAt(row);
    if (FDocument.ReadOnly() || !attribute)
        return Refuse();
    beginRemoveRows({}, row, row);
    FElement.remove_attribute(attribute);
    endRemoveRows();
    return TXmlEditResult::Done;
}

// Exchanges the attributes at first and first + 1.
TXmlEditResult TXmlAttributeModel::Exchange(int first)
{
    pugi::xml_attribute upper = AttributeAt(first);
    pugi::xml_attribute lower = AttributeAt(first + 1);
    if (FDocument.ReadOnly() || !upper || !lower)
        return Refuse();
    beginResetModel();
    FElement.insert_copy_before(lower, upper);
    FElement.remove_attribute(lower);
    endResetModel();
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlAttributeModel::MoveUp(int row)
{
    return row > 0 ? Exchange(row - 1) : Refuse();
}

TXmlEditResult TXmlAttributeModel::MoveDown(int row)
{
    return row >= 0 ? Exchange(row) : Refuse();
}

TXmlEditResult TXmlAttributeModel::SetName(int row, const QString& name)
{
    pugi::xml_attribute attribute = AttributeAt(row);
    if (FDocument.ReadOnly() || !attribute || !TXmlDocument::IsXmlName(name) ||
        !FDocument.CanWriteLiterally(name) || HasAttribute(name, attribute))
        return Refuse();
    attribute.set_name(ToUtf8(name).constData());
    Q_EMIT dataChanged(index(row, 0), index(row, 0));
    return TXmlEditResult::Done;
}

TXmlEditResult TXmlAttributeModel::SetValue(int row, const QString& value)
{
    pugi::xml_attribute attribute = AttributeAt(row);
    if (FDocument.ReadOnly() || !attribute || TXmlDocument::HasForbiddenChars(value))
        return Refuse();
    attribute.set_value(ToUtf8(value).constData());
    Q_EMIT dataChanged(index(row, 1), index(row, 1));
    return TXmlEditResult::Done;
}

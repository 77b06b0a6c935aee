#pragma once

#include "USqlRunRules.h"

#include <QPersistentModelIndex>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <functional>

class TLobObjectFactory;

// Draws the data window's special cells: large-object cells as a picture
// named by the cell's size and type, string and binary cells with a "..."
// button whose click makes the cell current and then runs the column's
// handler. Other cells are drawn and edited as usual, except that a cell
// editor whose text the user did not change sets nothing (a NULL stays NULL),
// and a text the data set refused comes back in a new editor of the cell.
class TSqlGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using TColumnKindFn = std::function<TGridColumnKind(int column)>;
    using TButtonFn = std::function<void(const QModelIndex& cell)>;

    static constexpr int PictureWidth = 78;
    static constexpr int PictureHeight = 18;
    static constexpr int ButtonWidth = 18;

    TSqlGridDelegate(TColumnKindFn columnKind, TButtonFn buttonClick, QObject* parent = nullptr);

    void SetLobObjectFactory(const TLobObjectFactory* factory) { FLobFactory = factory; }
    // The picture's name of a cell ("0", "1", "5"); empty for a cell that is
    // no large object.
    QString PictureOf(const QModelIndex& cell) const;
    // The picture of a name: "0" empty, "1" BLOB, "5" TEXT (drawn once).
    static const QPixmap& Picture(const QString& name);
    static QRect ButtonRect(const QRect& cell);
    // Closes an in-place editor of the view without handing its text over.
    void DiscardEditor(QWidget* editor);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    bool HasButton(const QModelIndex& index) const;

    TColumnKindFn FColumnKind;
    TButtonFn FButtonClick;
    const TLobObjectFactory* FLobFactory = nullptr;
    // The refused text for the cell's next editor.
    mutable QPersistentModelIndex FRefusedCell;
    mutable QString FRefusedText;
};

#include "USqlGridDelegate.h"

#include "UDBGridModel.h"
#include "base/UAppException.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyleOptionButton>
#include <utility>

TSqlGridDelegate::TSqlGridDelegate(TColumnKindFn columnKind, TButtonFn buttonClick, QObject* parent)
    : QStyledItemDelegate(parent), FColumnKind(std::move(columnKind)), FButtonClick(std::move(buttonClick))
{
}

QString TSqlGridDelegate::PictureOf(const QModelIndex& cell) const
{
    if (!cell.isValid() || FColumnKind(cell.column()) != TGridColumnKind::Picture)
        return {};
    return TSqlRunRules::LobCellPicture(TFieldType(cell.data(TDBGridModel::FieldTypeRole).toInt()),
                                        cell.data(TDBGridModel::ValueSizeRole).toLongLong(), FLobFactory);
}

const QPixmap& TSqlGridDelegate::Picture(const QString& name)
{
    static QHash<QString, QPixmap> pictures;
    auto found = pictures.find(name);
    if (found != pictures.end())
        return *found;
    const QString label = name == QLatin1String("0")   ? QStringLiteral("empty")
                          : name == QLatin1String("5") ? QStringLiteral("TEXT")
                                                       : QStringLiteral("BLOB");
    QPixmap picture(PictureWidth, PictureHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(0.5, 0.5, PictureWidth - 1, PictureHeight - 1), 4, 4);
    painter.fillPath(face, QColor(255, 236, 110));
    painter.setPen(QColor(150, 120, 20));
    painter.drawPath(face);
    painter.setPen(Qt::black);
    QFont font = QApplication::font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, PictureWidth, PictureHeight), Qt::AlignCenter, label + QStringLiteral("..."));
    painter.end();
    return *pictures.insert(name, picture);
}

QRect TSqlGridDelegate::ButtonRect(const QRect& cell)
{
    return QRect(cell.right() - ButtonWidth + 1, cell.top(), ButtonWidth, cell.height());
}

void TSqlGridDelegate::DiscardEditor(QWidget* editor)
{
    // The view closes its editors on this notice.
    if (editor)
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TSqlGridDelegate::HasButton(const QModelIndex& index) const
{
    const TGridColumnKind kind = FColumnKind(index.column());
    return kind == TGridColumnKind::TextButton || kind == TGridColumnKind::BinaryButton;
}

void TSqlGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString picture = PictureOf(index);
    if (!picture.isEmpty()) {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        const QPixmap& pixmap = Picture(picture);
        const QRect target(option.rect.topLeft() + QPoint(2, (option.rect.height() - PictureHeight) / 2),
                           pixmap.size());
        painter->drawPixmap(target, pixmap);
        return;
    }
    if (!HasButton(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem text = option;
    text.rect.setRight(option.rect.right() - ButtonWidth);
    QStyledItemDelegate::paint(painter, text, index);
    QStyleOptionButton button;
    button.rect = ButtonRect(option.rect);
    button.text = QStringLiteral("...");
    button.state = QStyle::State_Raised | (option.state & QStyle::State_Enabled);
    QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
}

bool TSqlGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                   const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease && HasButton(index)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && ButtonRect(option.rect).contains(mouse->position().toPoint())) {
            GuardedCall([&] { FButtonClick(index); });
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

void TSqlGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    QStyleOptionViewItem text = option;
    if (HasButton(index))
        text.rect.setRight(option.rect.right() - ButtonWidth);
    QStyledItemDelegate::updateEditorGeometry(editor, text, index);
}

void TSqlGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || !FRefusedCell.isValid() || FRefusedCell != index) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    line->setText(std::exchange(FRefusedText, QString()));
    line->setModified(true);   // what the user typed, to be set again
    FRefusedCell = QPersistentModelIndex();
}

void TSqlGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // Opened and left without typing: the text shown is no value to write.
    if (!line->isModified())
        return;
    const QString text = line->text();
    if (model->setData(index, text, Qt::EditRole) || !(model->flags(index) & Qt::ItemIsEditable))
        return;
    // Refused (the error is shown): the view closes this editor after the
    // commit, so a new one opens on the cell with the text.
    auto* view = qobject_cast<QAbstractItemView*>(editor->parentWidget() ? editor->parentWidget()->parentWidget() : nullptr);
    if (!view)
        return;
    FRefusedCell = QPersistentModelIndex(index);
    FRefusedText = text;
    QMetaObject::invokeMethod(
        const_cast<TSqlGridDelegate*>(this),
        [this, view = QPointer<QAbstractItemView>(view)] {
            if (view && FRefusedCell.isValid())
                view->edit(FRefusedCell);
            FRefusedCell = QPersistentModelIndex();   // taken, or the cell is gone
            FRefusedText.clear();
        },
        Qt::QueuedConnection);
}

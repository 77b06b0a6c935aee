#include "XmlEdit.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "platform/dac/UFieldDataLink.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The editor's 16 x 16 icons, one glyph per node kind.
QVariant XmlIcon(TXmlIcon icon)
{
    static const char* const glyphs[] = {"=", "<>", "\"", "[]", "..", "i", "S", "D", "E", "A", "&", "N", "!", "?"};
    static QHash<int, QIcon> cache;
    const int index = int(icon);
    if (!cache.contains(index)) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setPen(index == int(TXmlIcon::Element) ? Qt::darkBlue : Qt::darkGray);
        painter.drawRoundedRect(0, 0, 15, 15, 3, 3);
        QFont font = painter.font();
        font.setPixelSize(10);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(glyphs[index]));
        cache.insert(index, QIcon(pixmap));
    }
    return cache.value(index);
}

QLabel* NewLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TXmlForm::TXmlForm(TDBXmlEdit* owner, QWidget* parent) : QWidget(parent), FOwner(owner)
{
    setObjectName(QStringLiteral("XmlForm"));
    setWindowTitle(QStringLiteral("Xml Edit"));
    FTreeModel = new TXmlTreeModel(FDocument, this);
    FAttributeModel = new TXmlAttributeModel(FDocument, this);
    FTreeModel->SetIconProvider(XmlIcon);
    FAttributeModel->SetIconProvider(XmlIcon);
    // beep is no slot: called from here.
    connect(FTreeModel, &TXmlTreeModel::Refused, this, [] { QApplication::beep(); });
    connect(FAttributeModel, &TXmlAttributeModel::Refused, this, [] { QApplication::beep(); });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* left = new QWidget(splitter);
    auto* right = new QWidget(splitter);
    BuildElementPane(left);
    BuildAttributePane(right);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setSizes({400, 400});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

QAction* TXmlForm::NewAction(const QString& name, const QString& text, std::function<void()> run)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setToolTip(text);
    connect(action, &QAction::triggered, this, Guarded([run](auto&&...) { run(); }));
    return action;
}

void TXmlForm::BuildElementPane(QWidget* pane)
{
    FTree = new QTreeView(pane);
    FTree->setObjectName(QStringLiteral("stXmlTree"));
    FTree->setAccessibleName(QStringLiteral("Elements"));
    FTree->setModel(FTreeModel);
    FTree->header()->resizeSection(TXmlTreeModel::TagColumn, 120);
    FTree->header()->resizeSection(TXmlTreeModel::ValueColumn, 120);
    FTree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    FTree->installEventFilter(this);

    QAction* up = NewAction(QStringLiteral("acElementUp"), QStringLiteral("Move Up"), [this] { MoveElement(true); });
    QAction* down =
        NewAction(QStringLiteral("acElementDown"), QStringLiteral("Move Down"), [this] { MoveElement(false); });
    QAction* before = NewAction(QStringLiteral("acElementInsertBefore"), QStringLiteral("Before Node"),
                                [this] { InsertElement(TXmlInsertPlace::Before); });
    QAction* after = NewAction(QStringLiteral("acElementInsertAfter"), QStringLiteral("After Node"),
                               [this] { InsertElement(TXmlInsertPlace::After); });
    QAction* sub = NewAction(QStringLiteral("acElementInsertSub"), QStringLiteral("As Sub Node"),
                             [this] { InsertElement(TXmlInsertPlace::Sub); });
    QAction* comment =
        NewAction(QStringLiteral("acCommentInsert"), QStringLiteral("Insert Comment"), [this] { InsertComment(); });
    QAction* remove =
        NewAction(QStringLiteral("acElementDelete"), QStringLiteral("Delete Element"), [this] { DeleteElement(); });

    auto* addMenu = new QMenu(this);
    addMenu->setObjectName(QStringLiteral("pmAddElement"));
    addMenu->addActions({before, after, sub});

    auto* toolbar = new QToolBar(pane);
    toolbar->setObjectName(QStringLiteral("tbarElement"));
    auto addButton = [toolbar](const QString& name, QAction* action) {
        auto* button = new QToolButton(toolbar);
        button->setObjectName(name);
        button->setDefaultAction(action);
        toolbar->addWidget(button);
        return button;
    };
    addButton(QStringLiteral("tbElementUp"), up);
    addButton(QStringLiteral("tbElementDown"), down);
    auto* add = new QToolButton(toolbar);
    add->setObjectName(QStringLiteral("tbElementAdd"));
    add->setText(QStringLiteral("Add Element"));
    add->setToolTip(QStringLiteral("Add Element"));
    add->setMenu(addMenu);
    add->setPopupMode(QToolButton::InstantPopup);
    toolbar->addWidget(add);
    addButton(QStringLiteral("tbCommentAdd"), comment);
    addButton(QStringLiteral("tbElementDelete"), remove);

    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("pmTree"));
    popup->addActions({up, down});
    popup->addSeparator();
    QMenu* insert = popup->addMenu(QStringLiteral("Insert Element..."));
    insert->addActions({before, after, sub});
    popup->addActions({comment, remove});
    FTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FTree, &QWidget::customContextMenuRequested, this,
            Guarded([this, popup](const QPoint& at) { popup->popup(FTree->viewport()->mapToGlobal(at)); }));

    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guarded([this](auto&&...) { CurrentChanged(); }));
    connect(FTreeModel, &TXmlTreeModel::Edited, this, Guarded([this] {
                FOwner->MarkChanged();
                ShowNodeSource();
                FOwner->SaveToField();
            }));

    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(NewLabel(QStringLiteral("Label1"), QStringLiteral("Elements"), FTree, pane));
    layout->addWidget(toolbar);
    layout->addWidget(FTree);
}

void TXmlForm::BuildAttributePane(QWidget* pane)
{
    pane->setMinimumWidth(200);
    auto* splitter = new QSplitter(Qt::Vertical, pane);
    auto* top = new QWidget(splitter);
    auto* bottom = new QWidget(splitter);

    FAttributes = new QTreeView(top);
    FAttributes->setObjectName(QStringLiteral("stAttributes"));
    FAttributes->setAccessibleName(QStringLiteral("Attributes"));
    FAttributes->setRootIsDecorated(false);
    FAttributes->setModel(FAttributeModel);
    FAttributes->header()->resizeSection(0, 150);
    FAttributes->header()->resizeSection(1, 200);
    FAttributes->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    FAttributes->installEventFilter(this);

    QAction* add =
        NewAction(QStringLiteral("acAttributeAdd"), QStringLiteral("Add Attribute"), [this] { AddAttribute(); });
    QAction* remove = NewAction(QStringLiteral("acAttributeDelete"), QStringLiteral("Delete Attribute"),
                                [this] { DeleteAttribute(); });
    QAction* up =
        NewAction(QStringLiteral("acAttributeUp"), QStringLiteral("Move Up"), [this] { MoveAttribute(true); });
    QAction* down =
        NewAction(QStringLiteral("acAttributeDown"), QStringLiteral("Move Down"), [this] { MoveAttribute(false); });

    auto* toolbar = new QToolBar(top);
    toolbar->setObjectName(QStringLiteral("tbarAttribute"));
    const QList<QPair<QString, QAction*>> buttons = {{QStringLiteral("tbAttributeAdd"), add},
                                                     {QStringLiteral("tbAttributeDelete"), remove},
                                                     {QStringLiteral("tbAttributeUp"), up},
                                                     {QStringLiteral("tbAttributeDown"), down}};
    for (const auto& [name, action] : buttons) {
        auto* button = new QToolButton(toolbar);
        button->setObjectName(name);
        button->setDefaultAction(action);
        toolbar->addWidget(button);
    }
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("pmAttributes"));
    popup->addActions({add, remove, up, down});
    FAttributes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FAttributes, &QWidget::customContextMenuRequested, this,
            Guarded([this, popup](const QPoint& at) { popup->popup(FAttributes->viewport()->mapToGlobal(at)); }));
    connect(FAttributes->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guarded([this](const QModelIndex& current) { FSelectedAttribute = current.isValid() ? current.row() : -1; }));
    connect(FAttributeModel, &TXmlAttributeModel::Edited, this, Guarded([this] {
                FOwner->MarkChanged();
                FOwner->SaveToField();
                ShowNodeSource();
            }));

    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(NewLabel(QStringLiteral("Label2"), QStringLiteral("Attributes"), FAttributes, top));
    topLayout->addWidget(toolbar);
    topLayout->addWidget(FAttributes);

    FSource = new QPlainTextEdit(bottom);
    FSource->setObjectName(QStringLiteral("mmXMLSource"));
    FSource->setAccessibleName(QStringLiteral("Element Source"));
    // Shown only: an edit here could not be read back without losing the element.
    FSource->setReadOnly(true);
    FSource->setLineWrapMode(QPlainTextEdit::NoWrap);
    FSource->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FSource->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FSource->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addWidget(NewLabel(QStringLiteral("Label3"), QStringLiteral("Element Source"), FSource, bottom));
    bottomLayout->addWidget(FSource);

    splitter->addWidget(top);
    splitter->addWidget(bottom);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

void TXmlForm::ReloadTree()
{
    FRunning = true;
    FCurrent = pugi::xml_node();
    FTreeModel->Reload();
    FRunning = false;
    FSource->clear();
    RefreshAttributes();
}

void TXmlForm::RefreshAttributes()
{
    FAttributeModel->SetElement(FCurrent);
    FSelectedAttribute = -1;
}

void TXmlForm::ShowNodeSource()
{
    if (FCurrent)
        FSource->setPlainText(TXmlDocument::NodeSource(FCurrent));
}

void TXmlForm::ShowError(const QString& message)
{
    FSource->setPlainText(QStringLiteral("(%1)").arg(message));
}

void TXmlForm::CurrentChanged()
{
    if (FRunning)
        return;
    FCurrent = FTreeModel->NodeAt(FTree->currentIndex());
    RefreshAttributes();
    ShowNodeSource();
}

void TXmlForm::AfterElementCommand(TXmlEditResult result, pugi::xml_node select)
{
    if (result == TXmlEditResult::AnotherRoot)
        TPrompter::Instance().ShowMessage(QStringLiteral("You cannot insert another root element!"));
    if (result == TXmlEditResult::Done)
        FOwner->MarkChanged();
    FRunning = true;
    FCurrent = select;
    const QModelIndex index = FTreeModel->IndexOf(select);
    if (index.parent().isValid())
        FTree->expand(index.parent());
    FTree->setCurrentIndex(index);
    FRunning = false;
    RefreshAttributes();
    ShowNodeSource();
    if (result == TXmlEditResult::Done || result == TXmlEditResult::Unchanged)
        FOwner->SaveToField();
}

void TXmlForm::DeleteElement()
{
    if (!FCurrent)
        return;
    FRunning = true;
    const TXmlEditResult result = FTreeModel->Delete(FCurrent);
    FRunning = false;
    AfterElementCommand(result, result == TXmlEditResult::Done ? pugi::xml_node() : FCurrent);
}

void TXmlForm::InsertElement(TXmlInsertPlace place)
{
    if (!FCurrent)
        return;
    FRunning = true;
    const TXmlEditResult result = FTreeModel->Insert(FCurrent, place);
    FRunning = false;
    if (place == TXmlInsertPlace::Sub && result == TXmlEditResult::Done)
        FTree->expand(FTreeModel->IndexOf(FCurrent));
    AfterElementCommand(result, FCurrent);
}

void TXmlForm::InsertComment()
{
    if (!FCurrent)
        return;
    FRunning = true;
    const TXmlEditResult result = FTreeModel->InsertComment(FCurrent);
    FRunning = false;
    AfterElementCommand(result, FCurrent);
}

void TXmlForm::MoveElement(bool up)
{
    if (!FCurrent)
        return;
    FRunning = true;
    const TXmlEditResult result = up ? FTreeModel->MoveUp(FCurrent) : FTreeModel->MoveDown(FCurrent);
    FRunning = false;
    AfterElementCommand(result, FCurrent);
}

void TXmlForm::AfterAttributeCommand(TXmlEditResult result, int select)
{
    if (result != TXmlEditResult::Done)
        return;
    FOwner->MarkChanged();
    FAttributes->setCurrentIndex(FAttributeModel->index(select, 0));
    FSelectedAttribute = FAttributes->currentIndex().isValid() ? select : -1;
    ShowNodeSource();
    FOwner->SaveToField();
}

void TXmlForm::AddAttribute()
{
    if (FAttributeModel->Element())
        AfterAttributeCommand(FAttributeModel->Add(), FAttributeModel->rowCount() - 1);
}

void TXmlForm::DeleteAttribute()
{
    if (FAttributeModel->Element() && FSelectedAttribute >= 0)
        AfterAttributeCommand(FAttributeModel->Delete(FSelectedAttribute), -1);
}

void TXmlForm::MoveAttribute(bool up)
{
    if (!FAttributeModel->Element() || FSelectedAttribute < 0)
        return;
    const int row = FSelectedAttribute;
    if (up && row > 0)
        AfterAttributeCommand(FAttributeModel->MoveUp(row), row - 1);
    else if (!up && row < FAttributeModel->rowCount() - 1)
        AfterAttributeCommand(FAttributeModel->MoveDown(row), row + 1);
}

bool TXmlForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || (watched != FTree && watched != FAttributes))
        return QWidget::eventFilter(watched, event);
    bool handled = false;
    GuardedCall([&] {
        auto* key = static_cast<QKeyEvent*>(event);
        // A cell editor has the keys to itself while it is open.
        if (key->key() == Qt::Key_Delete) {
            if (watched == FTree)
                DeleteElement();
            else
                DeleteAttribute();
            handled = true;
        }
        // Every key counts as an edit once a document is loaded, the arrows too.
        FOwner->SaveToField();
    });
    return handled || QWidget::eventFilter(watched, event);
}

TDBXmlEdit::TDBXmlEdit(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DBXmlEdit"));
    FForm = new TXmlForm(this, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FForm);
}

void TDBXmlEdit::SetDataLink(TFieldDataLink* dataLink)
{
    FDataLink = dataLink;
    if (dataLink)
        DataChange();
}

void TDBXmlEdit::DataChange()
{
    if (FSaving)
        return;
    FLoaded = false;
    LoadFromField();
}

void TDBXmlEdit::LoadFromField()
{
    TField* field = FDataLink ? FDataLink->Field() : nullptr;
    if (FLoaded || !field || !field->IsBlob())
        return;
    const QByteArray bytes = field->AsBytes();
    // An empty value keeps the last document on view, unwritable.
    if (bytes.isEmpty())
        return;
    try {
        FForm->Document().Load(bytes, field->DataType());
    } catch (const EXmlParseError& e) {
        FForm->ReloadTree();
        FForm->ShowError(e.Message());
        return;
    }
    FLoaded = true;
    FChanged = false;
    FOriginal = bytes;
    FForm->ReloadTree();
}

void TDBXmlEdit::SaveToField()
{
    FSaving = true;
    try {
        if (FLoaded && FDataLink && FDataLink->Field() && FDataLink->CanModify() &&
            FDataLink->Edit()) {
            WriteToField();
            FDataLink->SetModified();
        }
    } catch (...) {
        FSaving = false;
        throw;
    }
    FSaving = false;
}

void TDBXmlEdit::WriteToField()
{
    if (!FLoaded || !FDataLink || !FDataLink->Field())
        return;
    const QByteArray bytes = FChanged ? FForm->Document().Save() : FOriginal;
    if (FDataLink->Field()->AsBytes() != bytes)
        FDataLink->Field()->SetAsBytes(bytes);
}

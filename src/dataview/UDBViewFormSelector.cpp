#include "UDBViewFormSelector.h"

#include "UBlobTypeUtil.h"
#include "UDBViewForm.h"
#include "base/UException.h"
#include "platform/dac/UFieldDataLink.h"
#include "viewers/UAlterBinaryHexDBViewForm.h"
#include "viewers/UAlterImageDBViewForm.h"
#include "viewers/UExtDBViewForm.h"
#include "viewers/UHtmlDBViewForm.h"
#include "viewers/UJsonDBViewForm.h"
#include "viewers/UAlterBlobHexDBViewForm.h"
#include "viewers/UMemoDBViewForm.h"
#include "viewers/UPdfDBViewForm.h"
#include "viewers/USimpleRichDBViewForm.h"
#include "viewers/UXmlDBViewForm.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The tab images: 16 x 16 pictures with a short label.
QIcon TabIcon(int imageIndex)
{
    static const char* const labels[] = {"T", "R", "<>", "W", "img", "01", "...", "PDF", "{}"};
    static const QColor colors[] = {Qt::darkGray, Qt::darkBlue, Qt::darkGreen, Qt::darkCyan, Qt::darkMagenta,
                                    Qt::black, Qt::darkYellow, Qt::darkRed, Qt::darkGreen};
    if (imageIndex < 0 || imageIndex >= int(std::size(labels)))
        return {};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(colors[imageIndex]);
    painter.drawRect(0, 0, 15, 15);
    QFont font = painter.font();
    font.setPixelSize(qstrlen(labels[imageIndex]) > 2 ? 6 : 9);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(labels[imageIndex]));
    return QIcon(pixmap);
}

template <class T>
TDBViewForm* MakeView(QWidget* parent)
{
    return new T(parent);
}

QHash<TViewKind, TViewFactory>& Factories()
{
    static QHash<TViewKind, TViewFactory> factories;
    return factories;
}

}  // namespace

void TDBViewFormSelector::RegisterView(TViewKind kind, TViewFactory factory)
{
    Factories().insert(kind, std::move(factory));
}

TViewFactory TDBViewFormSelector::FactoryOf(TViewKind kind)
{
    return Factories().value(kind);
}

TDBViewForm* TDBViewFormSelector::ViewAt(int index) const
{
    return index >= 0 && index < FViews.size() ? FViews[index] : nullptr;
}

TDBViewForm* TDBViewFormSelector::CurrentView() const
{
    return FPageControl ? ViewAt(FPageControl->currentIndex()) : nullptr;
}

int TDBViewFormSelector::IndexOfView(TViewKind kind) const
{
    for (int i = 0; i < FViews.size(); ++i) {
        if (FViews[i] && FViews[i]->Kind() == kind)
            return i;
    }
    return -1;
}

TDBViewForm* TDBViewFormSelector::FindView(TViewKind kind) const
{
    return ViewAt(IndexOfView(kind));
}

QList<std::optional<TViewKind>> TDBViewFormSelector::TabKinds() const
{
    QList<std::optional<TViewKind>> kinds;
    for (TDBViewForm* view : FViews)
        kinds << (view ? std::optional<TViewKind>(view->Kind()) : std::nullopt);
    return kinds;
}

void TDBViewFormSelector::AddView(int imageIndex, TViewKind kind, const TViewFactory& given)
{
    auto* page = new QWidget(FPageControl);
    const int index = FPageControl->addTab(page, QString());
    FPageControl->setTabIcon(index, TabIcon(imageIndex));
    page->setProperty("imageIndex", imageIndex);
    try {
        const TViewFactory factory = given ? given : FactoryOf(kind);
        if (!factory)
            throw Exception(QStringLiteral("Class not found"));
        TDBViewForm* view = factory(page);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        view->show();
        FPageControl->setTabText(index, view->Caption());
        FViews << view;
    } catch (const std::exception&) {
        // The tab stays, hidden, so that list and tab indexes keep matching.
        FPageControl->setTabVisible(index, false);
        FViews << nullptr;
    }
}

void TDBViewFormSelector::SetActiveTab(int index)
{
    const QSignalBlocker blocker(FPageControl);
    FPageControl->setCurrentIndex(index);
}

void TStringDBViewFormSelector::CreateViews()
{
    AddView(0, TViewKind::Text, MakeView<TMemoDBViewForm>);
    SetActiveTab(0);
}

void TStringDBViewFormSelector::PageChanging()
{
    if (TDBViewForm* view = CurrentView())
        view->CommitToField();
}

void TBinaryDBViewFormSelector::CreateViews()
{
    AddView(5, TViewKind::Hex, MakeView<TAlterBinaryHexDBViewForm>);
    SetActiveTab(0);
}

void TBinaryDBViewFormSelector::PageChanging()
{
    if (TDBViewForm* view = CurrentView())
        view->CommitToField();
}

int TX64BlobDBViewFormSelector::DefaultViewIndex() const
{
    return IndexOfView(TViewKind::Hex);
}

void TX64BlobDBViewFormSelector::CreateViews()
{
    AddView(0, TViewKind::Text, MakeView<TMemoDBViewForm>);
    AddView(1, TViewKind::Rich, MakeView<TSimpleRichDBViewForm>);
    AddView(2, TViewKind::Xml, MakeView<TXmlDBViewForm>);
    AddView(3, TViewKind::Html, MakeView<THtmlDBViewForm>);
    AddView(8, TViewKind::Json, MakeView<TJsonDBViewForm>);
    AddView(4, TViewKind::Image, MakeView<TAlterImageDBViewForm>);
    AddView(7, TViewKind::Pdf, MakeView<TPdfDBViewForm>);
    AddView(5, TViewKind::Hex, MakeView<TAlterBlobHexDBViewForm>);
    AddView(6, TViewKind::OpenWith, MakeView<TExtDBViewForm>);
    SetActiveTab(0);
}

TViewKind TX64BlobDBViewFormSelector::ChooseView() const
{
    TField* field = DataLink() ? DataLink()->Field() : nullptr;
    if (!field)
        return TViewKind::Hex;
    TBlobChoiceInput input;
    const bool changed = DataLink()->DataSet() && DataLink()->DataSet()->State() != dsBrowse;
    input.IsNull = field->IsNull() || (changed && field->DataSize() == 0);
    input.BlobType = field->DataType();
    input.Head = UBlobTypeUtil::Head(*field);
    if (TDBViewForm* image = FindView(TViewKind::Image)) {
        input.ImageLoads = [image, this] {
            image->SetDataLink(DataLink());
            const bool loaded = image->PictureLoaded();
            image->Unload();
            return loaded;
        };
    }
    return ChooseBlobView(input);
}

void TX64BlobDBViewFormSelector::SelectView()
{
    const int index = ResolveViewTab(ChooseView(), TabKinds());
    if (index >= 0)
        SetActiveTab(index);
}

void TX64BlobDBViewFormSelector::PageChanging()
{
    if (TDBViewForm* view = CurrentView()) {
        view->CommitToField();
        view->Unload();
    }
}

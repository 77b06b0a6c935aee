#include "UBlobViewChoice.h"

#include "UBlobTypeUtil.h"

TViewKind ChooseBlobView(const TBlobChoiceInput& input)
{
    if (input.IsNull)
        return TViewKind::Hex;
    switch (input.BlobType) {
    case ftMemo:
    case ftOraClob:
        return UBlobTypeUtil::IsRtf(input.Head, false) ? TViewKind::Rich : TViewKind::Text;
    case ftFmtMemo:
        return TViewKind::Rich;
    case ftGraphic:
        return TViewKind::Image;
    case ftBlob:
    case ftOraBlob:
        if (input.ImageLoads && input.ImageLoads())
            return TViewKind::Image;
        return UBlobTypeUtil::IsRtf(input.Head, false) ? TViewKind::Rich : TViewKind::Hex;
    default:
        return TViewKind::Hex;
    }
}

int ResolveViewTab(TViewKind chosen, const QList<std::optional<TViewKind>>& tabs, TViewKind fallback)
{
    for (TViewKind wanted : {chosen, fallback}) {
        for (int i = 0; i < tabs.size(); ++i) {
            if (tabs[i] == wanted)
                return i;
        }
    }
    for (int i = 0; i < tabs.size(); ++i) {
        if (tabs[i])
            return i;
    }
    return -1;
}

#pragma once

#include "platform/dac/UFieldType.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

// The viewers of the field editors, one tab each.
enum class TViewKind {
    Text,
    Rich,
    Xml,
    Html,
    Json,
    Image,
    Pdf,
    Hex,
    OpenWith,
};

// What the large-object editor's choice looks at for one row.
struct TBlobChoiceInput {
    // NULL, or for a value changed in this row: empty.
    bool IsNull = true;
    // The field's declared large-object kind.
    TFieldType BlobType = ftBlob;
    // The value's first bytes (UBlobTypeUtil::HeadSize of them).
    QByteArray Head;
    // Tries the picture viewer on the value; asked only for binary kinds.
    // Unset: no picture viewer, so no picture loads.
    std::function<bool()> ImageLoads;
};

// The rules of the large-object editor: the viewer a row opens on.
TViewKind ChooseBlobView(const TBlobChoiceInput& input);

// The tab to make active for a chosen viewer, given the viewer of every tab
// in order (none for a viewer that could not be created): the chosen one's
// tab, else the fallback's (Hex), else the first tab that exists; -1 when no
// viewer exists at all.
int ResolveViewTab(TViewKind chosen, const QList<std::optional<TViewKind>>& tabs,
                   TViewKind fallback = TViewKind::Hex);

#include "UFieldType.h"

#include <array>

namespace {

constexpr std::array<const char*, ftSingle + 1> FieldTypeNames = {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
    "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc",
    "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
    "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference",
    "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid",
    "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp",
    "ftOraInterval", "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection",
    "ftParams", "ftStream", "ftTimeStampOffset", "ftObject", "ftSingle"};

}  // namespace

QString FieldTypeName(TFieldType type)
{
    if (type < FieldTypeNames.size())
        return QString::fromLatin1(FieldTypeNames[type]);
    return QString::number(int(type));
}

bool IsBlobFieldType(TFieldType type)
{
    switch (type) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle:
    case ftDBaseOle: case ftTypedBinary: case ftOraBlob: case ftOraClob: case ftWideMemo:
        return true;
    default:
        return false;
    }
}

bool IsTextFieldType(TFieldType type)
{
    switch (type) {
    case ftString: case ftFixedChar: case ftWideString: case ftFixedWideChar: case ftMemo:
    case ftFmtMemo: case ftWideMemo: case ftOraClob:
        return true;
    default:
        return false;
    }
}

#pragma once

#include <QString>

// The field types of the data-access layer, in the order their codes have
// always had (a task or a probe keeps the code as one byte).
enum TFieldType : unsigned char {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
    ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
    ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};

// "ftBlob" for ftBlob; the code in decimal for a code without a name.
QString FieldTypeName(TFieldType type);

// A large-object type: its values may be big and are read as a whole.
bool IsBlobFieldType(TFieldType type);

// Types whose values are text in the connection's character set.
bool IsTextFieldType(TFieldType type);

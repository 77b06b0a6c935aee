#include "UMyIniFile.h"

QString TMyIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QString> value = ReadValue(section, key);
    if (!value)
        return defaultValue;
    return value->size() > MaxValueLength ? value->left(MaxValueLength) : *value;
}

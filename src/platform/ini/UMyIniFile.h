#pragma once

#include "UIniFile.h"

// The ini reader of task files and logon sections: a value is read whole up
// to MaxValueLength characters and cut there.
class TMyIniFile : public TIniFile {
public:
    static constexpr int MaxValueLength = 307200;

    using TIniFile::TIniFile;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const override;
};

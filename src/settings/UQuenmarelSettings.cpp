#include "UQuenmarelSettings.h"

#include "base/USystemUtil.h"
#include "platform/ini/UIniFile.h"

#include <QFileInfo>

bool TQuenmarelSettings::UseLobValueAsName = false;

namespace {
const QString Section = QStringLiteral("Export");
const QString Key = QStringLiteral("UseLobValueAsName");
}

QString TQuenmarelSettings::ConfigFileName()
{
    return GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("config.ini");
}

void TQuenmarelSettings::Load()
{
    const QString fileName = ConfigFileName();
    if (QFileInfo::exists(fileName))
        UseLobValueAsName = TIniFile(fileName).ReadBool(Section, Key, false);
}

void TQuenmarelSettings::Save()
{
    TIniFile(ConfigFileName()).WriteBool(Section, Key, UseLobValueAsName);
}

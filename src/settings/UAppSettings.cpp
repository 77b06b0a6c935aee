#include "UAppSettings.h"

#include "URegUtil.h"

bool TAppSettings::ShowLaunch = true;
const char* const TAppSettings::RegistryKey = "Software\\Corvanta\\Vantorquill";

namespace {
const QString NotShowLaunch = QStringLiteral("NotShowLaunch");
}

void TAppSettings::Load()
{
    ShowLaunch = !RegTextToBool(RegReadString(QLatin1String(RegistryKey), NotShowLaunch));
}

void TAppSettings::Save()
{
    RegWriteString(QLatin1String(RegistryKey), NotShowLaunch, BoolToRegText(!ShowLaunch));
}

#include "UDBImportSettings.h"

#include "settings/UQuenmarelSettings.h"
#include "platform/ini/UIniFile.h"

#include <QFileInfo>
#include <QLocale>

QString TDBImportSettings::DefaultFieldType;
QChar TDBImportSettings::DecimalSeparator = QLocale::system().decimalPoint().front();

namespace {
const QString Section = QStringLiteral("DBImport");
}

void TDBImportSettings::Load()
{
    DefaultFieldType.clear();
    DecimalSeparator = QLocale::system().decimalPoint().front();
    const QString fileName = TQuenmarelSettings::ConfigFileName();
    if (!QFileInfo::exists(fileName))
        return;
    const TIniFile ini(fileName);
    DefaultFieldType = ini.ReadString(Section, QStringLiteral("DefaultFieldType"), QString());
    const QString separator = ini.ReadString(Section, QStringLiteral("DecimalSeparator"), QString());
    if (!separator.isEmpty())
        DecimalSeparator = separator.front();
}

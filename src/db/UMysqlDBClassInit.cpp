#include "UMysqlDBClassInit.h"

#include "UMysqlDBDictionary.h"
#include "UMysqlDBHelper.h"
#include "app/base/URttiUtil.h"
#include "platform/dac/MySQLUniProvider.h"

namespace {
const QString providerClass = QStringLiteral("MySQLUniProvider.TMySQLUniProvider");
const QString helperClass = QStringLiteral("UMysqlDBHelper.TMysqlDBHelper");
const QString dictionaryClass = QStringLiteral("UMysqlDBDictionary.TMysqlDBDictionary");
}

void InitMysqlDBClasses()
{
    TRttiUtil::RegisterComponentClass<TMySQLUniProvider>(providerClass);
    TRttiUtil::RegisterObjectClass<TMysqlDBHelper>(helperClass);
    TRttiUtil::RegisterObjectClass<TMysqlDBDictionary>(dictionaryClass);
}

void DoneMysqlDBClasses()
{
    TRttiUtil::Unregister(dictionaryClass);
    TRttiUtil::Unregister(helperClass);
    TRttiUtil::Unregister(providerClass);
}

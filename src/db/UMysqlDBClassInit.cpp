#include "UMysqlDBClassInit.h"

#include "UMysqlDBDictionary.h"
#include "UMysqlDBHelper.h"
#include "UMysqlDBLogonOption.h"
#include "UMysqlTableCreator.h"
#include "base/URttiUtil.h"
#include "platform/dac/MySQLUniProvider.h"

namespace {
const QString providerClass = QStringLiteral("MySQLUniProvider.TMySQLUniProvider");
const QString helperClass = QStringLiteral("UMysqlDBHelper.TMysqlDBHelper");
const QString dictionaryClass = QStringLiteral("UMysqlDBDictionary.TMysqlDBDictionary");
const QString logonOptionClass = QStringLiteral("UMysqlDBLogonOption.TMysqlDBLogonOption");
const QString tableCreatorClass = QStringLiteral("UMysqlTableCreator.TMysqlTableCreator");
}

void InitMysqlDBClasses()
{
    TRttiUtil::RegisterComponentClass<TMySQLUniProvider>(providerClass);
    TRttiUtil::RegisterObjectClass<TMysqlDBHelper>(helperClass);
    TRttiUtil::RegisterObjectClass<TMysqlDBDictionary>(dictionaryClass);
    TRttiUtil::RegisterObjectClass<TMysqlDBLogonOption>(logonOptionClass);
    TRttiUtil::RegisterObjectClass<TMysqlTableCreator>(tableCreatorClass);
}

void DoneMysqlDBClasses()
{
    TRttiUtil::Unregister(tableCreatorClass);
    TRttiUtil::Unregister(logonOptionClass);
    TRttiUtil::Unregister(dictionaryClass);
    TRttiUtil::Unregister(helperClass);
    TRttiUtil::Unregister(providerClass);
}

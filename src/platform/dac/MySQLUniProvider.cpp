#include "MySQLUniProvider.h"

QString TMySQLUniProvider::GetProviderName() const
{
    return QStringLiteral("MySQL");
}

#pragma once

// A complete logon profile of a server that need not exist, for the tests of
// the batch-file options and dialog.

#include "db/UMysqlDBLogonOption.h"

namespace transfertest {

inline void FillSampleProfile(TMysqlDBLogonOption& option, const QString& password = QStringLiteral("s3cret"))
{
    option.Username = QStringLiteral("ann");
    option.Password = password;
    option.Server = QStringLiteral("db.example.org");
    option.Port = QStringLiteral("3307");
    option.Database = QStringLiteral("shop");
    option.UseUnicode = QStringLiteral("True");
}

}  // namespace transfertest

#include "UMysqlLogonFormInit.h"

#include "UMysqlLogonForm.h"
#include "base/URttiUtil.h"

namespace {
const QString logonFormClass = QStringLiteral("UMysqlLogonForm.TMysqlLogonForm");
}

void InitMysqlLogonForms()
{
    TRttiUtil::RegisterComponentClass<TMysqlLogonForm>(logonFormClass);
}

void DoneMysqlLogonForms()
{
    TRttiUtil::Unregister(logonFormClass);
}

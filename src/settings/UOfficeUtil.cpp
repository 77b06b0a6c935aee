#include "UOfficeUtil.h"

#include "URegUtil.h"
#include "base/UCommandLine.h"
#include "base/UFileUtil.h"
#include "base/USystemUtil.h"

namespace {
QString ProgramKey()
{
    return QStringLiteral("Software\\Corvanta\\") + ExtractFileNameOnly(ParamStr(0));
}

QString VersionOf(const QString& path)
{
    return path.isEmpty() ? QString() : GetExeVersionText(path);
}
}

QString GetAccessPath()
{
    return RegReadString(ProgramKey(), QStringLiteral("AccessPath"));
}

QString GetExcelPath()
{
    return RegReadString(ProgramKey(), QStringLiteral("ExcelPath"));
}

QString GetAccessVersion()
{
    return VersionOf(GetAccessPath());
}

QString GetExcelVersion()
{
    return VersionOf(GetExcelPath());
}

QString GetAccessArch()
{
    return GetExeArch(GetAccessPath());
}

QString GetExcelArch()
{
    return GetExeArch(GetExcelPath());
}

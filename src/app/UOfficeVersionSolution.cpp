#include "UOfficeVersionSolution.h"

#include "base/USystemUtil.h"
#include "settings/UOfficeUtil.h"

namespace {
const QString X64 = QStringLiteral("x64");
const QString X86 = QStringLiteral("x86");
// Access 2007 is version 12: from it on, ".accdb" files open.
const int FirstEngineVersion = 12;
}

bool TOfficeVersionSolution::IsAccessOld() const
{
    if (AccessVersion.isEmpty())
        return true;
    const qsizetype v = AccessVersion.indexOf(QLatin1Char('v'));
    const QString rest = AccessVersion.mid(v + 1);
    bool ok = false;
    const int major = rest.left(rest.indexOf(QLatin1Char('.'))).toInt(&ok);
    return (ok ? major : 0) < FirstEngineVersion;
}

bool TOfficeVersionSolution::Analyse(const QString& text)
{
    ErrorText = text;
    OSArch = GetOSArch();
    AppArch = GetAppArch();
    AccessArch = GetAccessArch();
    AccessVersion = GetAccessVersion();
    const bool accdb = text.contains(QStringLiteral(".accdb"));
    if (!accdb && !text.contains(QStringLiteral(".mdb")) && !text.contains(QStringLiteral("Cannot create ODBC alias")))
        return false;
    if (accdb) {
        if (!IsAccessOld() && AccessArch != X86)
            return false;
        Advice = QStringLiteral("If you can not open Office 2007 and above file (*.accdb, *.xlsx), please download and "
                                "install Microsoft Access Database Engine.");
        Keyword = QStringLiteral("office_engine");
        return true;
    }
    if (!AccessVersion.isEmpty() && AccessArch != X86)
        return false;
    Advice = QStringLiteral("Please reinstall Vantorquill {ChangeToArch} version. ");
    Advice.replace(Advice.indexOf(QStringLiteral("{ChangeToArch}")), 14, AppArch == X64 ? X86 : X64);
    Keyword = QStringLiteral("arch");
    return true;
}

#include "UMakerSite.h"

#include <QMutex>

const char* const MakerSiteDefault = "https://www.corvanta.example/";

namespace {
// Read by the update checks' threads too.
QMutex siteLock;
QString& siteSlot()
{
    static QString site;
    return site;
}
}

QString MakerSite()
{
    QMutexLocker lock(&siteLock);
    return siteSlot().isEmpty() ? QString::fromLatin1(MakerSiteDefault) : siteSlot();
}

void SetMakerSite(const QString& base)
{
    QMutexLocker lock(&siteLock);
    siteSlot() = base.isEmpty() || base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
}

QString MakerHomepage()
{
    return MakerSite();
}

QString MakerSupportEmail()
{
    return QStringLiteral("support@corvanta.example");
}

QString VersionCheckAddress()
{
    return MakerSite() + QStringLiteral("versioncheck.php");
}

QString ExceptionReportAddress()
{
    return MakerSite() + QStringLiteral("report_exception.php");
}

QString ProductPageAddress()
{
    return MakerSite() + QStringLiteral("vantorquill/");
}

#pragma once

#include <QString>

// The maker's web site: the one place of its addresses. The name is a
// reserved one that reaches nobody until the owner gives the real one.
extern const char* const MakerSiteDefault;   // "https://www.corvanta.example/"

// The site in use, ending in "/": the default, or the one a test set.
QString MakerSite();
// Points every address below at another site (tests use a local server);
// empty restores the default.
void SetMakerSite(const QString& base);

QString MakerHomepage();            // the site itself
QString MakerSupportEmail();        // the support mailbox at the maker
QString VersionCheckAddress();      // site + "versioncheck.php"
QString ExceptionReportAddress();   // site + "report_exception.php"
QString ProductPageAddress();       // site + "vantorquill/"

#include "UUpdateCheck.h"

#include "UWebUtil.h"
#include "base/UMakerSite.h"
#include "base/UVersionUtil.h"
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "platform/http/UHttpClient.h"

#include <QLocale>

namespace {
const QString NotNotifyUpdate = QStringLiteral("NotNotifyUpdate");
const QString CheckUpdateDate = QStringLiteral("CheckUpdateDate");
const QString DateFormat = QStringLiteral("yyyyMMdd");
const qint64 MsecsPerDay = 86400000;

QString SettingsKey()
{
    return QLatin1String(TAppSettings::RegistryKey);
}

// "yyyymmdd" at 00:00; an invalid date when the text is not one.
QDateTime StoredDate(const QString& text)
{
    if (text.size() != 8)
        return QDateTime();
    bool ok[3];
    const QDate date(text.left(4).toInt(&ok[0]), text.mid(4, 2).toInt(&ok[1]), text.mid(6, 2).toInt(&ok[2]));
    if (!ok[0] || !ok[1] || !ok[2] || !date.isValid())
        return QDateTime();
    return QDateTime(date, QTime(0, 0));
}
}

double VersionNumber(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? value : 0;
}

TUpdateCheck::TUpdateCheck(THttpClient& client)
    : ProgramVersion(GetFileVersion(QStringLiteral("/proc/self/exe")))
    , Clock(&QDateTime::currentDateTime)
    , FClient(client)
{
}

QString TUpdateCheck::RequestAddress() const
{
    return VersionCheckAddress() + QStringLiteral("?product=Vantorquill&version=") + ProgramVersion;
}

void TUpdateCheck::QueryLatestVersion()
{
    FailReason.clear();
    FClient.MaxAnswerBytes = MaxAnswerBytes;
    try {
        int status = 0;
        LatestVersion = HttpGetText(FClient, RequestAddress(), &status).trimmed();
        if (status != 200)
            FailReason = QStringLiteral("HTTP status ") + QString::number(status);
        else if (VersionNumber(LatestVersion) == 0)
            FailReason = QStringLiteral("the answer is not a version number");
    } catch (const EHttpError& e) {
        LatestVersion = CurrentVersion;
        FailReason = e.Message();
    }
}

bool TUpdateCheck::IsNewVersion()
{
    QString major, minor, release, build;
    SplitVersion(ProgramVersion, major, minor, release, build);
    CurrentVersion = major + QLatin1Char('.') + minor;
    QueryLatestVersion();
    return VersionNumber(LatestVersion) != 0 && VersionNumber(CurrentVersion) != 0
           && LatestVersion != CurrentVersion;
}

bool TUpdateCheck::IsCheckDue()
{
    const QString stored = RegReadString(SettingsKey(), CheckUpdateDate);
    if (stored.isEmpty()) {
        SaveCheckDate();
        return false;
    }
    const QDateTime date = StoredDate(stored);
    // A value that is no date would otherwise stop every later check.
    if (!date.isValid())
        return true;
    // Calendar days, so that a change of summer time does not move the limit.
    const QDateTime now = Clock();
    const qint64 span = date.date().daysTo(now.date()) * MsecsPerDay + QTime(0, 0).msecsTo(now.time());
    return qAbs(span) > MsecsPerDay;
}

void TUpdateCheck::SaveCheckDate()
{
    RegWriteString(SettingsKey(), CheckUpdateDate, Clock().toString(DateFormat));
}

void TUpdateCheck::AutoNotify(const TNoticeShower& show)
{
    Caption = QStringLiteral("Upgrade Notify");
    const QString notNotify = RegReadString(SettingsKey(), NotNotifyUpdate);
    const bool firstRun = notNotify.isEmpty();
    if (firstRun)
        RegWriteString(SettingsKey(), NotNotifyUpdate, QStringLiteral("False"));
    if (RegTextToBool(notNotify))
        return;
    if (!firstRun && !IsCheckDue())
        return;
    if (IsNewVersion())
        show(NewVersionNotice());
    SaveCheckDate();
}

void TUpdateCheck::CheckNow(const TNoticeShower& show)
{
    Caption = QStringLiteral("Check Update");
    if (IsNewVersion())
        show(NewVersionNotice());
    else if (!FailReason.isEmpty())
        show(CannotCheckNotice());
    else
        show(LatestVersionNotice());
    SaveCheckDate();
}

TUpdateNotice TUpdateCheck::Notice(TUpdateNoticeKind kind, const QString& header) const
{
    TUpdateNotice notice;
    notice.Kind = kind;
    notice.Caption = Caption;
    notice.Header = header;
    return notice;
}

TUpdateNotice TUpdateCheck::NewVersionNotice() const
{
    TUpdateNotice notice = Notice(TUpdateNoticeKind::NewVersion,
                                  QStringLiteral("Updates are available for Vantorquill, version ") + LatestVersion);
    notice.Notify = QStringLiteral("Please download and install latest version from ");
    notice.LinkAddress = ProductPageAddress();
    return notice;
}

TUpdateNotice TUpdateCheck::LatestVersionNotice() const
{
    TUpdateNotice notice = Notice(TUpdateNoticeKind::LatestVersion, QStringLiteral("This is the latest version (")
                                                                         + CurrentVersion
                                                                         + QStringLiteral(") of Vantorquill"));
    notice.Notify = QStringLiteral("You can see update news on this page: ");
    notice.LinkAddress = ProductPageAddress();
    return notice;
}

TUpdateNotice TUpdateCheck::CannotCheckNotice() const
{
    return Notice(TUpdateNoticeKind::CannotCheck, QStringLiteral("Can not check for updates: ") + FailReason);
}

void TUpdateCheck::SaveNotShow(bool checked)
{
    RegWriteString(SettingsKey(), NotNotifyUpdate, BoolToRegText(checked));
}

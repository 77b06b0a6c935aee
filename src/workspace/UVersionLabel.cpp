#include "UVersionLabel.h"

#include "base/UVersionUtil.h"

#include <QCoreApplication>

TVersionLabel::TVersionLabel(QWidget* owner) : QLabel(owner)
{
    SetMask(QStringLiteral("Version %s.%s (Release %s Build %s)"));
}

void TVersionLabel::SetFileName(const QString& fileName)
{
    if (fileName.compare(FFileName, Qt::CaseInsensitive) == 0)
        return;
    FFileName = QCoreApplication::applicationFilePath();
    UpdateCaption();
}

void TVersionLabel::SetMask(const QString& mask)
{
    if (mask == FMask)
        return;
    FMask = mask;
    UpdateCaption();
}

QString TVersionLabel::FormatVersion(const QString& mask, const QString& version)
{
    QString parts[4];
    SplitVersion(version, parts[0], parts[1], parts[2], parts[3]);
    const QString place = QStringLiteral("%s");
    QString caption;
    qsizetype from = 0;
    for (const QString& part : parts) {
        const qsizetype at = mask.indexOf(place, from);
        if (at < 0)
            break;
        caption += mask.mid(from, at - from) + part;
        from = at + place.size();
    }
    return caption + mask.mid(from);
}

void TVersionLabel::UpdateCaption()
{
    setText(FormatVersion(FMask, GetFileVersion(FFileName)));
}

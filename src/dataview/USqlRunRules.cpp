#include "USqlRunRules.h"

#include "transfer/ULobObjectFactory.h"

bool TSqlRunRules::IsQueryText(const QString& text)
{
    return text.trimmed().toLower().startsWith(QStringLiteral("select"));
}

QString TSqlRunRules::QueryText(const std::optional<QString>& given, const QString& selection, const QString& whole)
{
    QString text = given ? *given : (selection.isEmpty() ? whole : selection).trimmed();
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text;
}

QString TSqlRunRules::ScriptText(const QString& selection, const QString& whole)
{
    return selection.isEmpty() ? whole : selection;
}

QString TSqlRunRules::QueryCaption(const QString& whole)
{
    qsizetype end = whole.indexOf(QLatin1Char('\n'));
    QString first = end < 0 ? whole : whole.left(end);
    if (first.endsWith(QLatin1Char('\r')))
        first.chop(1);
    return QStringLiteral("Query - ") + first;
}

QString TSqlRunRules::ElapsedText(double milliseconds, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(milliseconds / 1000.0, 'g', 15) + QStringLiteral(" seconds. ");
}

TGridColumnKind TSqlRunRules::ColumnKindOf(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return TGridColumnKind::TextButton;
    case ftBytes:
    case ftVarBytes:
        return TGridColumnKind::BinaryButton;
    default:
        return IsBlobFieldType(type) ? TGridColumnKind::Picture : TGridColumnKind::Plain;
    }
}

QString TSqlRunRules::LobCellPicture(TFieldType type, qint64 size, const TLobObjectFactory* factory)
{
    if (size == 0)
        return QStringLiteral("0");
    static const TLobObjectFactory standard;
    return (factory ? factory : &standard)->GetLobCellKind(type);
}

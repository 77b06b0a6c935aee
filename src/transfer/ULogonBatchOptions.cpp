#include "ULogonBatchOptions.h"

#include "UTaskSession.h"
#include "db/UDBLogonOption.h"

namespace {
const QString passwordMarker = QStringLiteral("password=\"");
const QString passwordMask = QStringLiteral("******");
}  // namespace

const QString TLogonBatchOptions::SourceSection = QStringLiteral("SourceDB");
const QString TLogonBatchOptions::TargetSection = QStringLiteral("TargetDB");

bool TLogonBatchOptions::Validate()
{
    for (TDBLogonOption* option : {SourceDBLogonOption, TargetDBLogonOption})
        if (option && !option->Validate())
            return Fail(option->ErrorMessage);
    return TBatchOptions::Validate();
}

void TLogonBatchOptions::WriteBatchFile()
{
    if (SourceDBLogonOption || TargetDBLogonOption)
        TTaskSession::PrepareTaskFile(SessionFile);   // it now holds a password
    if (SourceDBLogonOption)
        SourceDBLogonOption->SaveToIni(SessionFile, SourceSection);
    if (TargetDBLogonOption)
        TargetDBLogonOption->SaveToIni(SessionFile, TargetSection);
    TBatchOptions::WriteBatchFile();
}

QString TLogonBatchOptions::TypeCaption(const TDBLogonOption* option, const QString& role)
{
    const QString type = option ? option->GetDBTypeName() : QString();
    return type.isEmpty() ? QString() : type + QStringLiteral(" (") + role + QLatin1Char(')');
}

QString TLogonBatchOptions::OptionString(const TDBLogonOption* option)
{
    return option ? MaskPassword(option->ToCmdLineParams(), option->Password) : QString();
}

QString TLogonBatchOptions::SourceTypeCaption() const
{
    return TypeCaption(SourceDBLogonOption, QStringLiteral("Source DB"));
}

QString TLogonBatchOptions::TargetTypeCaption() const
{
    return TypeCaption(TargetDBLogonOption, QStringLiteral("Target DB"));
}

QString TLogonBatchOptions::SourceOptionString() const
{
    return OptionString(SourceDBLogonOption);
}

QString TLogonBatchOptions::TargetOptionString() const
{
    return OptionString(TargetDBLogonOption);
}

QString TLogonBatchOptions::MaskPassword(const QString& text)
{
    const qsizetype marker = text.indexOf(passwordMarker);
    if (marker < 0)
        return text;
    const qsizetype valueStart = marker + passwordMarker.size();
    const qsizetype valueEnd = text.indexOf(QLatin1Char('"'), valueStart);
    const QString rest = valueEnd < 0 ? QString() : text.mid(valueEnd + 1);
    return text.left(valueStart) + passwordMask + QLatin1Char('"') + rest;
}

QString TLogonBatchOptions::MaskPassword(const QString& text, const QString& password)
{
    const qsizetype marker = text.indexOf(passwordMarker);
    if (marker < 0)
        return text;
    const qsizetype valueStart = marker + passwordMarker.size();
    // The value is written as it is, so a double quote inside the password
    // would end the plain masking early and show the rest of it.
    if (text.mid(valueStart, password.size() + 1) != password + QLatin1Char('"'))
        return MaskPassword(text);
    return text.left(valueStart) + passwordMask + text.mid(valueStart + password.size());
}

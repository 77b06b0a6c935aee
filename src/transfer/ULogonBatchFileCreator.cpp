#include "ULogonBatchFileCreator.h"

#include "UBatchFileCreateDlg.h"
#include "ULogonBatchOptions.h"
#include "base/URttiUtil.h"

const QString TLogonBatchFileCreator::DialogClassName =
    QStringLiteral("ULogonBatchFileCreateDlg.TLogonBatchFileCreateDlg");

TLogonBatchFileCreator::TLogonBatchFileCreator(const QString& optionName, TDBLogonOption* sourceOption,
                                               TDBLogonOption* targetOption)
    : FOptionName(optionName), FSourceDBLogonOption(sourceOption), FTargetDBLogonOption(targetOption)
{
}

std::unique_ptr<TBatchFileCreateDlg> TLogonBatchFileCreator::CreateDialog()
{
    std::unique_ptr<TBatchFileCreateDlg> dialog = TRttiUtil::CreateObjectAs<TBatchFileCreateDlg>(DialogClassName);
    auto* options = dynamic_cast<TLogonBatchOptions*>(&dialog->Options());
    if (!options)
        throw EConvertError(QStringLiteral("Cast Error: TBatchOptions to TLogonBatchOptions, Real type: ")
                            + DemangledTypeName(typeid(dialog->Options()).name()));
    options->SourceDBLogonOption = FSourceDBLogonOption;
    options->TargetDBLogonOption = FTargetDBLogonOption;
    dialog->SetOptionName(FOptionName);
    return dialog;
}

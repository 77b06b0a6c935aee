#pragma once

#include "UFindDialog.h"

// The modeless replace dialog: the find dialog with a replacement and the
// Replace and Replace All buttons; it searches downwards.
class TReplaceDialog : public TFindDialog {
    Q_OBJECT

public:
    explicit TReplaceDialog(QWidget* parent = nullptr);

    QString ReplaceText() const;

Q_SIGNALS:
    void ReplaceRequested();
    void ReplaceAllRequested();

private:
    QLineEdit* FReplaceEdit;
};

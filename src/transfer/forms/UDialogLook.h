#pragma once

class QDialog;
class QString;

// The look of the small task dialogs: caption, cream background, a fixed
// dialog frame without resize grip or minimise and maximise boxes.
void ApplyDialogLook(QDialog* dialog, const QString& caption);

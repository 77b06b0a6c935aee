#pragma once

#include <QLabel>
#include <QString>

// A label that shows a program file's four-part version through a mask with
// four text places (major, minor, release, build).
class TVersionLabel : public QLabel {
    Q_OBJECT
public:
    explicit TVersionLabel(QWidget* owner = nullptr);

    const QString& FileName() const { return FFileName; }
    const QString& Mask() const { return FMask; }
    // At run time the running program is the file, whatever name is given.
    void SetFileName(const QString& fileName);
    void SetMask(const QString& mask);

    // The mask with its "%s" places filled by the version's parts in order.
    static QString FormatVersion(const QString& mask, const QString& version);

private:
    void UpdateCaption();

    QString FFileName;
    QString FMask;
};

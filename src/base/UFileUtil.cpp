#include "UFileUtil.h"

#include "UException.h"
#include "UStringUtil.h"
#include "UTextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

EInOutError FileError(const char* action, const QString& fileName, const QString& reason)
{
    return EInOutError(QStringLiteral("Cannot %1 file \"%2\". %3").arg(QLatin1String(action), fileName, reason));
}

void WriteTextFile(const QString& text, const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError("create", fileName, file.errorString());
    const QByteArray bytes = text.toUtf8() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileError("write", fileName, file.errorString());
}

QString TryWriteTextFile(const QString& fileName)
{
    try {
        WriteTextFile(QString(), fileName);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

qint64 GetFileSize(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    return file.size();
}

QString ExtractFileNameOnly(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

TTextAsWritten ReadTextAsWritten(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError("read", fileName, file.errorString());
    const TTextEncoding encoding = DetectTextEncoding(bytes);
    TTextAsWritten result;
    result.Text = DecodeText(bytes, encoding);
    if (encoding == TTextEncoding::Windows1252)
        result.Windows1252Line = LineNumberAt(bytes, InvalidUtf8Offset(bytes));
    return result;
}

QString ReadTextFile(const QString& fileName)
{
    return WithCrLfLines(ReadTextAsWritten(fileName).Text);
}

QString WithCrLfLines(const QString& text)
{
    QString result;
    for (const QString& line : SplitLines(text))
        result += line + QStringLiteral("\r\n");
    return result;
}

QString ExtWithoutDot(const QString& ext)
{
    return ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext;
}

void ForceDirectoryPath(const QString& path)
{
    QStringList parts;
    SplitString(path, QLatin1Char('/'), parts);
    QString prefix;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        prefix = i == 0 ? parts.at(0) : prefix + QLatin1Char('/') + parts.at(i);
        if (!prefix.isEmpty() && !QFileInfo(prefix).isDir())
            QDir().mkdir(prefix);
    }
}

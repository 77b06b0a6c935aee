#include "UQuenmarelSessionObjectFactory.h"

#include "ULobExportSession.h"
#include "ULobExportSessionExecutor.h"
#include "ULobImportSession.h"
#include "ULobImportSessionExecutor.h"
#include "ULogConvertOutputer.h"
#include "base/UException.h"

#include <QFileInfo>

namespace {

const QString importExt = QStringLiteral(".ilt");
const QString exportExt = QStringLiteral(".elt");

}  // namespace

TQuenmarelSessionObjectFactory::TQuenmarelSessionObjectFactory(TLobObjectFactory* lobObjectFactory)
    : FLobObjectFactory(lobObjectFactory)
{
}

QString TQuenmarelSessionObjectFactory::TaskFileExt(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool TQuenmarelSessionObjectFactory::IsTaskFile(const QString& fileName) const
{
    const QString ext = TaskFileExt(fileName);
    return ext == importExt || ext == exportExt;
}

std::unique_ptr<TTaskSession> TQuenmarelSessionObjectFactory::CreateSession(const QString& fileName)
{
    std::unique_ptr<TTaskSession> session;
    const QString ext = TaskFileExt(fileName);
    if (ext == importExt)
        session = std::make_unique<TLobImportSession>();
    else if (ext == exportExt)
        session = std::make_unique<TLobExportSession>();
    if (session)
        session->LoadFromFile(fileName);
    return session;
}

std::unique_ptr<TSessionExecutor> TQuenmarelSessionObjectFactory::CreateExecutor(const QString& fileName)
{
    const QString ext = TaskFileExt(fileName);
    if (ext != importExt && ext != exportExt)
        return nullptr;
    if (!FLobObjectFactory)
        throw Exception(QStringLiteral("No LOB object factory to create the converter."));
    if (ext == importExt)
        return std::make_unique<TLobImportSessionExecutor>(*FLobObjectFactory);
    return std::make_unique<TLobExportSessionExecutor>(*FLobObjectFactory);
}

std::unique_ptr<TOutputer> TQuenmarelSessionObjectFactory::CreateOutputer(const QString&, const QString& logFile)
{
    auto outputer = std::make_unique<TLogConvertOutputer>();
    outputer->SetLogFile(logFile);
    return outputer;
}

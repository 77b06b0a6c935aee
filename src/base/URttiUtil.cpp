#include "URttiUtil.h"

#include "ULog.h"

#include <QMutex>
#include <vector>

namespace {
struct Entry {
    QString name;
    TRttiUtil::TObjectMaker objectMaker;
    TRttiUtil::TComponentMaker componentMaker;
};

struct ClassRegistry {
    QMutex lock;
    std::vector<Entry> entries;

    const Entry* find(const QString& name)
    {
        for (const Entry& e : entries) {
            if (e.name.compare(name, Qt::CaseInsensitive) == 0)
                return &e;
        }
        return nullptr;
    }
};

ClassRegistry& classes()
{
    static ClassRegistry r;
    return r;
}

Entry lookup(const QString& name)
{
    ClassRegistry& r = classes();
    {
        QMutexLocker lock(&r.lock);
        if (const Entry* e = r.find(name))
            return *e;
    }
    const QString message = QStringLiteral("Can not find class type: ") + name;
    TLog::GetLogger()->Error(message);
    throw Exception(message);
}
}

void TRttiUtil::RegisterMaker(const QString& qualifiedName, TObjectMaker objectMaker,
                              TComponentMaker componentMaker)
{
    ClassRegistry& r = classes();
    QMutexLocker lock(&r.lock);
    for (Entry& e : r.entries) {
        if (e.name.compare(qualifiedName, Qt::CaseInsensitive) == 0) {
            e = {qualifiedName, std::move(objectMaker), std::move(componentMaker)};
            return;
        }
    }
    r.entries.push_back({qualifiedName, std::move(objectMaker), std::move(componentMaker)});
}

void TRttiUtil::Unregister(const QString& qualifiedName)
{
    ClassRegistry& r = classes();
    QMutexLocker lock(&r.lock);
    std::erase_if(r.entries, [&](const Entry& e) {
        return e.name.compare(qualifiedName, Qt::CaseInsensitive) == 0;
    });
}

bool TRttiUtil::IsRegistered(const QString& qualifiedName)
{
    ClassRegistry& r = classes();
    QMutexLocker lock(&r.lock);
    return r.find(qualifiedName) != nullptr;
}

TObject* TRttiUtil::CreateObject(const QString& qualifiedName)
{
    const Entry entry = lookup(qualifiedName);
    if (entry.objectMaker)
        return entry.objectMaker();
    // A component class created as a plain object: it gets no owner.
    return entry.componentMaker(nullptr);
}

TComponent* TRttiUtil::CreateComponent(const QString& qualifiedName, TComponent* owner)
{
    const Entry entry = lookup(qualifiedName);
    if (entry.componentMaker)
        return entry.componentMaker(owner);
    std::unique_ptr<TObject> object(entry.objectMaker());
    throw EConvertError(CastErrorText(QStringLiteral("TObject"), typeid(TComponent).name(), *object));
}

QString TRttiUtil::CastErrorText(const QString& source, const char* wantedMangled, const TObject& real)
{
    return QStringLiteral("Cast Error: ") + source + QStringLiteral(" to ") + DemangledTypeName(wantedMangled)
           + QStringLiteral(", Real type: ") + real.ClassName();
}

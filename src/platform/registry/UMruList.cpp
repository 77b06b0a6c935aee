#include "UMruList.h"

#include "URegistry.h"

namespace {
QString AbsoluteKey(const QString& key)
{
    return key.startsWith(QLatin1Char('\\')) ? key : QLatin1Char('\\') + key;
}

// "1".."n" in order, ending at the first missing or empty number.
QStringList ReadItems(TRegistry& registry, int maxItems)
{
    QStringList items;
    for (int i = 1; i <= maxItems; ++i) {
        const QString name = QString::number(i);
        if (registry.GetDataType(name) != TRegDataType::rdString)
            break;
        const QString item = registry.ReadString(name);
        if (item.isEmpty())
            break;
        items << item;
    }
    return items;
}

// items as "1".."n"; the numbers after them up to maxItems are removed.
void WriteItems(TRegistry& registry, const QStringList& items, int maxItems)
{
    for (qsizetype i = 0; i < maxItems; ++i) {
        const QString name = QString::number(i + 1);
        if (i < items.size())
            registry.WriteString(name, items.at(i));
        else
            registry.DeleteValue(name);
    }
}
}

TMruList::TMruList(const QString& key, int maxItems, const QString& registryFile)
    : FKey(AbsoluteKey(key)), FMaxItems(maxItems < 1 ? 1 : maxItems), FRegistryFile(registryFile)
{
}

QStringList TMruList::Items() const
{
    QStringList items;
    TRegistry registry(FRegistryFile);
    registry.Update([&] {   // one consistent reading
        if (registry.OpenKeyReadOnly(FKey))
            items = ReadItems(registry, FMaxItems);
    });
    return items;
}

void TMruList::Add(const QString& item)
{
    if (item.isEmpty())
        return;
    TRegistry registry(FRegistryFile);
    registry.Update([&] {
        if (!registry.OpenKey(FKey, true))
            throw ERegistryException(QStringLiteral("Cannot create registry key \"") + FKey + QLatin1Char('"'));
        QStringList items = ReadItems(registry, FMaxItems);
        items.removeAll(item);
        items.prepend(item);
        while (items.size() > FMaxItems)
            items.removeLast();
        WriteItems(registry, items, FMaxItems);
    });
}

bool TMruList::Remove(const QString& item)
{
    bool removed = false;
    TRegistry registry(FRegistryFile);
    registry.Update([&] {
        if (!registry.OpenKey(FKey, false))
            return;
        QStringList items = ReadItems(registry, FMaxItems);
        removed = items.removeAll(item) > 0;
        WriteItems(registry, items, FMaxItems);
    });
    return removed;
}

void TMruList::Clear()
{
    TRegistry registry(FRegistryFile);
    registry.Update([&] {
        if (!registry.OpenKey(FKey, false))
            return;
        WriteItems(registry, QStringList(), FMaxItems);
    });
}

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
    ChangeItems(true, [&](QStringList& items) {
        items.removeAll(item);
        items.prepend(item);   // WriteItems drops those beyond MaxItems
    });
}

bool TMruList::Remove(const QString& item)
{
    bool removed = false;
    ChangeItems(false, [&](QStringList& items) { removed = items.removeAll(item) > 0; });
    return removed;
}

void TMruList::Clear()
{
    ChangeItems(false, [](QStringList& items) { items.clear(); });
}

void TMruList::ChangeItems(bool createKey, const std::function<void(QStringList&)>& change)
{
    TRegistry registry(FRegistryFile);
    registry.Update([&] {
        if (!registry.OpenKey(FKey, createKey)) {
            if (createKey)
                throw ERegistryException(QStringLiteral("Cannot create registry key \"") + FKey + QLatin1Char('"'));
            return;
        }
        QStringList items = ReadItems(registry, FMaxItems);
        change(items);
        WriteItems(registry, items, FMaxItems);
    });
}

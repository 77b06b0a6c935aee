// GIO first: its headers use a name Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "UFileTypeList.h"

#include <QMimeDatabase>
#include <QSet>
#include <algorithm>

namespace {

QString DefaultCommand(const QString& mimeType)
{
    GAppInfo* app = g_app_info_get_default_for_type(mimeType.toUtf8().constData(), FALSE);
    if (!app)
        return {};
    const char* command = g_app_info_get_commandline(app);
    const QString result = command ? QString::fromUtf8(command) : QString();
    g_object_unref(app);
    return result;
}

}  // namespace

QList<TFileTypeEntry> ReadFileTypes()
{
    QList<TFileTypeEntry> entries;
    QSet<QString> seen;
    for (const QMimeType& type : QMimeDatabase().allMimeTypes()) {
        const QString description = type.comment().trimmed();
        if (description.isEmpty() || type.suffixes().isEmpty())
            continue;
        const QString command = DefaultCommand(type.name()).trimmed();
        if (command.isEmpty())
            continue;
        for (const QString& suffix : type.suffixes()) {
            const QString extension = QLatin1Char('.') + suffix;
            if (seen.contains(extension))
                continue;
            seen.insert(extension);
            entries.append({extension, description, command});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const TFileTypeEntry& a, const TFileTypeEntry& b) { return a.Extension < b.Extension; });
    return entries;
}

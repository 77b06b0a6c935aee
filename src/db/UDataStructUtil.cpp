#include "UDataStructUtil.h"

#include "base/UStringUtil.h"

QString MakeUniqueName(const QString& name, int limit, int digits)
{
    const int headLength = limit - digits;
    const QString head = name.left(headLength);
    int counter = 1;
    if (name.size() > headLength) {
        const QString rest = name.mid(headLength);
        if (rest.startsWith(QLatin1Char('_'))) {
            bool ok = false;
            const int n = rest.mid(1).toInt(&ok);
            if (ok)
                counter = n + 1;
        }
    }
    return head + QLatin1Char('_') + PadLeft(QString::number(counter), digits - 1, QLatin1Char('0'));
}

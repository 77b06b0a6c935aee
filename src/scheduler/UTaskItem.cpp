#include "UTaskItem.h"

#include "UTaskScheduler.h"

QString TTaskItem::Name() const
{
    return TTaskScheduler::PlainName(FTaskName);
}

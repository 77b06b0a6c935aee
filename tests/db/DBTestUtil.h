#pragma once

// Small helpers that the database tests share.

#include "app/base/UException.h"

#include <QString>
#include <functional>

namespace dbtest {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// The message of the exception that action raises; "(nothing raised)" when
// it raises none.
inline QString MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return S("(nothing raised)");
}

}  // namespace dbtest

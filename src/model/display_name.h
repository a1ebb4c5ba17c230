#pragma once

// A case of a model enumeration as the window shows it. The raw value is what
// files store and also the English label; showing it through the translator
// lets a translation rename the label while files keep the raw value.

#include "raw_value.h"

#include <QCoreApplication>

namespace lustrelab {

template <typename E> QString displayName(E value)
{
    for (const auto& [e, raw] : RawValues<E>::cases)
        if (e == value)
            return QCoreApplication::translate("lustrelab::RawValues", raw);
    return {};
}

} // namespace lustrelab

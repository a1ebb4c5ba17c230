#pragma once

// Enumerations of the document model are stored and shown through their raw
// values ("gradient", "Rounded Rect", ...). Each enumeration specialises
// RawValues<E> with its cases in declaration order; the helpers below give the
// raw string of a case, the case of a raw string (nothing for an unknown one)
// and the ordered list of cases.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

namespace lustrelab {

template <typename E>
struct RawValues; // specialise with: static constexpr std::array<std::pair<E, const char*>, N> cases

template <typename E>
QString rawValue(E value)
{
    for (const auto& [e, raw] : RawValues<E>::cases)
        if (e == value)
            return QString::fromUtf8(raw);
    return {};
}

template <typename E>
std::optional<E> fromRawValue(QStringView raw)
{
    for (const auto& [e, text] : RawValues<E>::cases)
        if (raw == QLatin1StringView(text))
            return e;
    return std::nullopt;
}

template <typename E>
constexpr auto allCases()
{
    std::array<E, RawValues<E>::cases.size()> result{};
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = RawValues<E>::cases[i].first;
    return result;
}

} // namespace lustrelab

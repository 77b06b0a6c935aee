#pragma once

#include <QtGlobal>
#include <initializer_list>

// A set of the values of a small enumeration, one bit per value in the
// enumeration's order.
template <class TEnum>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<TEnum> values)
    {
        for (TEnum value : values)
            FBits |= Bit(value);
    }
    static constexpr TSet FromBits(quint32 bits)
    {
        TSet set;
        set.FBits = bits;
        return set;
    }

    constexpr bool Contains(TEnum value) const { return FBits & Bit(value); }
    constexpr void Include(TEnum value) { FBits |= Bit(value); }
    constexpr void Exclude(TEnum value) { FBits &= ~Bit(value); }
    constexpr void Set(TEnum value, bool present) { present ? Include(value) : Exclude(value); }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr quint32 Bits() const { return FBits; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr quint32 Bit(TEnum value) { return quint32(1) << int(value); }
    quint32 FBits = 0;
};

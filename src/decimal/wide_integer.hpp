#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>

namespace teller {

// The width of each part of a WideInteger.
constexpr std::size_t wideLimbBits = 32;

// An unsigned integer of at most Limbs parts of wideLimbBits bits, held in
// place: the exact arithmetic of a decimal conversion needs no allocation.
// Its size is a count of parts, so that bounds which round to the same count
// make the same type. Going beyond it is a fault of the caller's bound,
// caught by assert.
template <std::size_t Limbs>
class WideInteger {
public:
    static constexpr std::size_t limbBits = wideLimbBits;
    static constexpr std::size_t limbCount = Limbs;

    explicit WideInteger(std::uint32_t value) noexcept : used{value == 0 ? 0U : 1U}
    {
        limb(0) = value;
    }

    void multiplyAdd(std::uint32_t factor, std::uint32_t addend) noexcept
    {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t product = std::uint64_t{limb(i)} * factor + carry;
            limb(i) = static_cast<std::uint32_t>(product);
            carry = product >> limbBits;
        }
        if (carry != 0) {
            limb(used++) = static_cast<std::uint32_t>(carry);
        }
    }

    void shiftLeft(std::size_t bits) noexcept
    {
        if (used == 0) {
            return;
        }
        const std::size_t words = bits / limbBits;
        const std::size_t rest = bits % limbBits;
        const std::uint32_t top = highPart(limb(used - 1), rest);
        // From the top down, so that each limb is read before it is replaced.
        for (std::size_t i = used; i-- > 0;) {
            const std::uint32_t fromBelow = i > 0 ? highPart(limb(i - 1), rest) : 0;
            limb(i + words) = static_cast<std::uint32_t>(std::uint64_t{limb(i)} << rest) | fromBelow;
        }
        for (std::size_t i = 0; i < words; ++i) {
            limb(i) = 0;
        }
        used += words;
        if (top != 0) {
            limb(used++) = top;
        }
    }

    void halve() noexcept
    {
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint32_t carried = i + 1 < used ? limb(i + 1) << (limbBits - 1) : 0;
            limb(i) = (limb(i) >> 1U) | carried;
        }
        trim();
    }

    // Takes away a value no larger than this one.
    void subtract(const WideInteger& other) noexcept
    {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t taken = std::uint64_t{i < other.used ? other.limb(i) : 0} + borrow;
            borrow = limb(i) < taken ? 1 : 0;
            limb(i) = static_cast<std::uint32_t>((borrow << limbBits) + limb(i) - taken);
        }
        trim();
    }

    [[nodiscard]] std::size_t bitLength() const noexcept
    {
        return used == 0 ? 0 : (used - 1) * limbBits + static_cast<std::size_t>(std::bit_width(limb(used - 1)));
    }

    [[nodiscard]] bool isZero() const noexcept
    {
        return used == 0;
    }

    friend std::strong_ordering operator<=>(const WideInteger& left, const WideInteger& right) noexcept
    {
        if (left.used != right.used) {
            return left.used <=> right.used;
        }
        for (std::size_t i = left.used; i-- > 0;) {
            if (left.limb(i) != right.limb(i)) {
                return left.limb(i) <=> right.limb(i);
            }
        }
        return std::strong_ordering::equal;
    }

private:
    // The bits of value that a shift left by bits carries into the next limb.
    static std::uint32_t highPart(std::uint32_t value, std::size_t bits) noexcept
    {
        return static_cast<std::uint32_t>((std::uint64_t{value} << bits) >> limbBits);
    }

    std::uint32_t& limb(std::size_t i) noexcept
    {
        assert(i < limbCount && "a decimal conversion outgrew its bound");
        return std::span{limbs}[i];
    }
    [[nodiscard]] std::uint32_t limb(std::size_t i) const noexcept
    {
        assert(i < limbCount && "a decimal conversion outgrew its bound");
        return std::span{limbs}[i];
    }

    void trim() noexcept
    {
        while (used > 0 && limb(used - 1) == 0) {
            --used;
        }
    }

    std::array<std::uint32_t, limbCount> limbs{};
    std::size_t used = 0;
};

}  // namespace teller

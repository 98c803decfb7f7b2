#include "entry_reader.hpp"
#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <ios>
#include <limits>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>

namespace {

using teller::Entry;
using teller::EntryReader;
using teller::testing::caseName;

std::string rest(std::istringstream& in)
{
    in.clear();
    return in.str().substr(static_cast<std::size_t>(in.tellg()));
}

// An amount as the reader takes it, with the characters it leaves behind.
struct AmountCase {
    const char* name;
    std::string input;
    Entry entry;
    float value;
    const char* left;
};

class EntryReaderAmounts : public testing::TestWithParam<AmountCase> {};

TEST_P(EntryReaderAmounts, ReadsOneGrammarWhateverTheLibrary)
{
    const AmountCase& c = GetParam();
    std::istringstream in{c.input};
    std::ostringstream out;
    float value = 12345.0F;
    EXPECT_EQ((EntryReader{*in.rdbuf(), out}.read(value)), c.entry);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(c.value)) << value;
    EXPECT_EQ(rest(in), c.left);
}

constexpr float untouched = 12345.0F;
constexpr float largest = std::numeric_limits<float>::max();
constexpr float smallest = std::numeric_limits<float>::denorm_min();
const std::string longestNumber(teller::longestEntry, '1');
// 1.5 and 2.5 times the smallest subnormal, written out exactly.
const std::string subnormalTie =
    "2.10194769648722560638559437493487419692039291281477365763560242583468662402879090222"
    "9957282543182373046875e-45";
const std::string higherSubnormalTie =
    "3.5032461608120426773093239582247903282006548546912894293926707097244777067146"
    "51503716595470905303955078125e-45";

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryReaderAmounts,
    testing::Values(
        AmountCase{"NotANumber", "nan", Entry::refused, untouched, "nan"},
        AmountCase{"Infinity", "infinity", Entry::refused, untouched, "infinity"},
        AmountCase{"NegativeInfinity", "-inf 2", Entry::refused, untouched, "inf 2"},
        AmountCase{"HexadecimalStopsAtTheX", "0x10", Entry::read, 0.0F, "x10"},
        AmountCase{"BeyondSinglePrecision", "1e39 2", Entry::refused, untouched, " 2"},
        AmountCase{"HalfwayToInfinityRoundsUp", "340282356779733661637539395458142568448", Entry::refused, untouched,
                   ""},
        AmountCase{"JustBelowHalfwayIsTheLargest", "340282356779733661637539395458142568447", Entry::read, largest, ""},
        AmountCase{"AboveTheLargestRoundsToInfinity", "3.4028238e38", Entry::refused, untouched, ""},
        AmountCase{"TinyRoundsToZero", "1e-50", Entry::read, 0.0F, ""},
        // Only a comparison of the whole width tells it from half the smallest.
        AmountCase{"LongestEntryJustBelowHalfTheSmallest", std::string(250, '1') + "e-295", Entry::read, 0.0F, ""},
        // Every limb of the exact conversion in use.
        AmountCase{"LongestEntryNearTheSmallest", std::string(250, '9') + "e-292", Entry::read, 714 * smallest, ""},
        // Scaled by 2^-127, the largest power of two below the normal range.
        AmountCase{"ScaledByTheLargestSubnormalPower", "6e-32", Entry::read, 6e-32F, ""},
        AmountCase{"BelowHalfTheSmallestIsZero", "7.006e-46", Entry::read, 0.0F, ""},
        AmountCase{"AboveHalfTheSmallestRoundsUp", "7.0065e-46", Entry::read, smallest, ""},
        AmountCase{"TieRoundsToEven", "16777217", Entry::read, 16777216.0F, ""},
        AmountCase{"TieRoundsUpToEven", "16777219.0", Entry::read, 16777220.0F, ""},
        AmountCase{"TieBelowTwoToThe24RoundsToEven", "5990655.25", Entry::read, 5990655.0F, ""},
        // Rounding the digits to single precision first would give 3355443.25.
        AmountCase{"EightDigitsAreRoundedOnce", "3355443.1", Entry::read, 3355443.0F, ""},
        AmountCase{"TieAboveTwoToThe25RoundsToEven", "335544340e-1", Entry::read, 33554432.0F, ""},
        AmountCase{"SubnormalTieRoundsUpToEven", subnormalTie, Entry::read, 2 * smallest, ""},
        AmountCase{"SubnormalTieRoundsDownToEven", higherSubnormalTie, Entry::read, 2 * smallest, ""},
        AmountCase{"NearlyMinusOne", "-0.9999999999", Entry::read, -1.0F, ""},
        AmountCase{"NegativeZeroKeepsItsSign", "-0", Entry::read, -0.0F, ""},
        AmountCase{"SignPointAndTrailingPoint", "+.5 5.", Entry::read, 0.5F, " 5."},
        AmountCase{"ExponentWithoutDigits", "1e+-5", Entry::refused, untouched, "-5"},
        AmountCase{"SecondPointEndsTheNumber", "1.5.3", Entry::read, 1.5F, ".3"},
        AmountCase{"LongestEntryIsTaken", longestNumber.substr(0, 38) + "e-" + longestNumber.substr(0, 215),
                   Entry::read, 0.0F, ""},
        AmountCase{"LongerEntryIsRefused", std::string(255, '0') + "7\n", Entry::refused, untouched, "7\n"},
        AmountCase{"OnlyBlanks", " \n\t", Entry::none, untouched, ""}),
    caseName<AmountCase>);

// The reader must take what formatted extraction with the library of the
// reference build takes, and leave what it leaves, on any entry that is
// finite and within the length limit.
#if defined(__GLIBCXX__)
// What reading one entry came to, as text: the value if one was taken, and
// the characters left behind.
template <typename T, typename Read>
std::string outcome(const std::string& input, Read read)
{
    std::istringstream in{input};
    T value{};
    const bool taken = read(in, value);
    std::ostringstream text;
    text << "left '" << rest(in) << "'";
    if constexpr (std::is_same_v<T, float>) {
        text << ", bits " << (taken ? std::bit_cast<std::uint32_t>(value) : 0U);
    } else {
        text << ", value " << (taken ? value : T{});
    }
    return text.str();
}

template <typename T>
void expectSameAsExtraction(const std::string& input)
{
    const auto byExtraction = [](std::istream& in, T& value) { return !(in >> value).fail(); };
    const auto byReader = [](std::istream& in, T& value) {
        std::ostringstream out;
        return EntryReader{*in.rdbuf(), out}.read(value) == Entry::read;
    };
    ASSERT_EQ(outcome<T>(input, byReader), outcome<T>(input, byExtraction)) << '"' << input << '"';
}

TEST(EntryReader, TakesWhatExtractionTakes)
{
    // A fixed seed, so that a difference found is found again.
    std::mt19937 random{20261208};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
    const std::string alphabet = "0123456789000111+-..eEeExan \n\t";
    std::uniform_int_distribution<std::size_t> pick{0, alphabet.size() - 1};
    std::uniform_int_distribution<std::size_t> length{0, 48};
    for (int i = 0; i < 3000; ++i) {
        std::string input;
        for (std::size_t n = length(random); n > 0; --n) {
            input += alphabet[pick(random)];
        }
        expectSameAsExtraction<std::int32_t>(input);
        expectSameAsExtraction<float>(input);
        expectSameAsExtraction<std::string>(input);
    }
}
#endif

}  // namespace

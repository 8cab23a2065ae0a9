// Positional formatting and value rendering.
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(FormatPositional, SubstitutesInAnyOrderAndRepeatedly) {
    EXPECT_EQ(FormatPositional("{1} and {0}", {"a", "b"}), "b and a");
    EXPECT_EQ(FormatPositional("{0}{0}", {"ab"}), "abab");
    EXPECT_EQ(FormatPositional("{007}", {"0", "1", "2", "3", "4", "5", "6", "seven"}), "seven");
    EXPECT_EQ(FormatPositional("x{0}y", {""}), "xy");
}

TEST(FormatPositional, KeepsEverythingThatIsNotAPlaceholder) {
    EXPECT_EQ(FormatPositional("{2}", {"a", "b"}), "{2}");
    EXPECT_EQ(FormatPositional("{}", {"a"}), "{}");
    EXPECT_EQ(FormatPositional("{a}", {"a"}), "{a}");
    EXPECT_EQ(FormatPositional("{ 1}", {"a", "b"}), "{ 1}");
    EXPECT_EQ(FormatPositional("{0", {"a"}), "{0");
    EXPECT_EQ(FormatPositional("tail {", {}), "tail {");
    EXPECT_EQ(FormatPositional("}{0}{", {"a"}), "}a{");
}

TEST(FormatPositional, RescansAfterALiteralBrace) {
    EXPECT_EQ(FormatPositional("{{0}", {"a"}), "{a");
    EXPECT_EQ(FormatPositional("{x{1}}", {"a", "b"}), "{xb}");
}

TEST(FormatPositional, NeverScansArgumentTexts) {
    EXPECT_EQ(FormatPositional("{0}", {"{0}{1}"}), "{0}{1}");
}

TEST(FormatPositional, IndexBeyond64BitsRaisesOutOfRange) {
    EXPECT_EQ(FormatPositional("{18446744073709551615}", {"a"}), "{18446744073709551615}");
    try {
        FormatPositional("{18446744073709551616}", {"a"});
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "stoull");
    }
}

TEST(Format, RendersIntegersBooleansAndText) {
    EXPECT_EQ(Format("{0}|{1}|{2}|{3}", {-5, true, false, "t"}), "-5|true|false|t");
    EXPECT_EQ(Format("{0} {1}", {INT64_MIN, INT64_MAX}), "-9223372036854775808 9223372036854775807");
    EXPECT_EQ(Format("{0} {1}", {UINT64_MAX, uint32_t{4294967295u}}), "18446744073709551615 4294967295");
    EXPECT_EQ(Format("{0}", {std::string("abc")}), "abc");
    EXPECT_EQ(Format("{0}", {0}), "0");
}

}  // namespace
}  // namespace rava

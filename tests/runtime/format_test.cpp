// Positional formatting and value rendering.
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(FormatPositional, FillsWellFormedPlaceholdersAndKeepsEverythingElse) {
    const struct {
        const char* templ;
        std::vector<std::string> args;
        const char* expected;
    } rows[] = {
        {"{1} and {0}", {"a", "b"}, "b and a"},
        {"{0}{0}", {"ab"}, "abab"},
        {"{007}", {"0", "1", "2", "3", "4", "5", "6", "seven"}, "seven"},
        {"x{0}y", {""}, "xy"},
        // Not placeholders: a missing argument, no digits, a space, unclosed.
        {"{2}", {"a", "b"}, "{2}"},
        {"{}", {"a"}, "{}"},
        {"{a}", {"a"}, "{a}"},
        {"{ 1}", {"a", "b"}, "{ 1}"},
        {"{0", {"a"}, "{0"},
        {"tail {", {}, "tail {"},
        {"}{0}{", {"a"}, "}a{"},
        {"{18446744073709551615}", {"a"}, "{18446744073709551615}"},
        // Scanning restarts after a literal brace.
        {"{{0}", {"a"}, "{a"},
        {"{x{1}}", {"a", "b"}, "{xb}"},
        // Argument texts are never scanned.
        {"{0}", {"{0}{1}"}, "{0}{1}"},
    };
    for (const auto& r : rows) EXPECT_EQ(FormatPositional(r.templ, r.args), r.expected) << r.templ;
}

TEST(FormatPositional, IndexBeyond64BitsRaisesOutOfRange) {
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

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>

#include "platform/durable_files.h"
#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace {

struct DecodeCase {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class Utf8Decoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decoding, GivesTheseUtf16Units) {
    EXPECT_EQ(platform::utf8ToUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8Decoding,
    ::testing::Values(
        DecodeCase{"Ascii", "two words", u"two words"}, DecodeCase{"Empty", "", u""},
        DecodeCase{"TwoAndThreeByteForms", "\xC3\xBC\xE2\x82\xAC", u"\u00FC\u20AC"},
        DecodeCase{"EmojiBecomesSurrogatePair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        DecodeCase{"LoneContinuationByte", "a\x80z", u"a\uFFFDz"},
        DecodeCase{"InvalidLeadByte", "\xFF", u"\uFFFD"},
        DecodeCase{"TruncatedSequenceAtEnd", "a\xE2\x82", u"a\uFFFD\uFFFD"},
        DecodeCase{"TruncatedSequenceBeforeAscii", "\xE2\x82x", u"\uFFFD\uFFFDx"},
        DecodeCase{"OverlongFormIsRejected", "\xC0\xAF", u"\uFFFD\uFFFD"},
        DecodeCase{"EncodedSurrogateIsRejected", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"BeyondUnicodeIsRejected", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"EmbeddedNulIsKept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// The lock's name and the progress record write numbers so; a record already on a disk must
// still read back.
TEST(HexDigits, SixteenLowerCaseDigitsWithLeadingZeros) {
    EXPECT_EQ(platform::hexDigits(0xAB0), "0000000000000ab0");
    EXPECT_EQ(platform::hexDigits(~std::uint64_t{0}), "ffffffffffffffff");
}

// Arguments are decoded as the JVM decodes file names: with the encoding of the locale that
// the environment names, so that an argument naming a file opens that file.
TEST(ArgumentDecoding, FollowsTheLocalesEncoding) {
    struct Case {
        const char* locale;
        std::u16string decoded;
    };
    char program[] = "launcher";
    char argument[] = "caf\xC3\xA9";
    char* argv[] = {program, argument, nullptr};
    const char* const saved = std::getenv("LC_ALL");
    const std::string kept = saved != nullptr ? saved : "";
    for (const Case& c : {Case{"C.UTF-8", u"caf\u00E9"}, Case{"C", u"caf\uFFFD\uFFFD"},
                          Case{"no_SUCH.locale", u"caf\uFFFD\uFFFD"}}) {
        ::setenv("LC_ALL", c.locale, 1);
        platform::recordProcessArguments(2, argv);
        const std::vector<std::u16string> arguments = platform::processArguments();
        ASSERT_EQ(arguments.size(), 2u);
        EXPECT_EQ(arguments[0], u"launcher") << c.locale;
        EXPECT_EQ(arguments[1], c.decoded) << c.locale;
    }
    if (saved != nullptr)
        ::setenv("LC_ALL", kept.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
    platform::recordProcessArguments(0, nullptr);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classpath/jvm_file_names.h"

namespace launcher {
namespace {

// What the JVM decodes back to the same bytes: ASCII in the C locale, strict UTF-8 in a UTF-8 one.
TEST(CanDecodeName, AsTheJvmsCharsetOfFileNames) {
    using platform::FileNameCharset;
    struct Case {
        std::string name;
        bool ascii;
        bool utf8;
    };
    const std::vector<Case> cases = {
        {"main__V2.1.jar", true, true},
        {"main__V2.1.0.\xE9.jar", false, false},  // Latin-1
        {"caf\xC3\xA9.jar", false, true},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80.jar", false, true},
        {"\xC3(.jar", false, false},             // a lead byte without its continuation
        {"\xC0\xAF.jar", false, false},          // overlong
        {"\xED\xA0\x80.jar", false, false},      // a surrogate
        {"\xF4\x90\x80\x80.jar", false, false},  // beyond U+10FFFF
        {"x\xE2\x82", false, false},             // cut short at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(canDecodeName(c.name, FileNameCharset::Ascii), c.ascii) << c.name;
        EXPECT_EQ(canDecodeName(c.name, FileNameCharset::Utf8), c.utf8) << c.name;
        EXPECT_TRUE(canDecodeName(c.name, FileNameCharset::AnyBytes)) << c.name;
        EXPECT_EQ(holdsOnlyAscii(c.name), c.ascii) << c.name;
    }
}

// Every size up to five words, with a byte beyond ASCII at each place in turn (the word-wise
// reading has a separate path below eight bytes and overlaps its last word).
TEST(HoldsOnlyAscii, FindsAByteBeyondAsciiAtAnyPlaceOfAnySize) {
    for (std::size_t size = 0; size <= 40; ++size) {
        const std::string ascii(size, 'a');
        EXPECT_TRUE(holdsOnlyAscii(ascii)) << size;
        for (std::size_t at = 0; at < size; ++at) {
            std::string name = ascii;
            name[at] = '\x80';
            EXPECT_FALSE(holdsOnlyAscii(name)) << size << " at " << at;
            name[at] = '\x7F';
            EXPECT_TRUE(holdsOnlyAscii(name)) << size << " at " << at;
        }
    }
}

}  // namespace
}  // namespace launcher

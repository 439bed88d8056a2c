// The cross-compiled launcher.exe as a file: its PE header and its resources, read with the
// mingw binutils.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;

struct ResourceLeaf {
    unsigned type;
    unsigned name;
    unsigned language;
    std::uint64_t rva;
    std::uint64_t size;
};

class WindowsExecutable : public ::testing::Test {
  protected:
    void SetUp() override {
        exe_ = TEST_WINDOWS_LAUNCHER;
        objdump_ = TEST_MINGW_OBJDUMP;
        if (!fs::exists(exe_) || objdump_.empty()) {
            if (std::getenv("LAUNCHER_REQUIRE_WINDOWS_BUILD") != nullptr) {
                FAIL() << "no Windows build at " << exe_ << " or no mingw objdump";
            }
            GTEST_SKIP() << "no Windows build (cmake --preset windows) or no mingw objdump";
        }
        privateHeaders_ = objdump({"-p", exe_});
        sectionHeaders_ = objdump({"-h", exe_});
        bytes_ = testing_support::readFile(exe_);
    }

    std::string objdump(const std::vector<std::string>& arguments) const {
        testing_support::ProcessOptions options;
        options.program = objdump_;
        options.arguments = {objdump_};
        options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
        const auto result = testing_support::runProcess(options);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    std::vector<ResourceLeaf> resourceLeaves() const {
        std::vector<ResourceLeaf> leaves;
        const std::regex entry(R"(^[0-9a-f]+( +)Entry: ID: 0x([0-9a-f]+),)");
        const std::regex leaf(R"(Leaf: Addr: 0x([0-9a-f]+), Size: 0x([0-9a-f]+))");
        std::istringstream lines(
            privateHeaders_.substr(privateHeaders_.find("Resource Directory section")));
        unsigned levels[3] = {0, 0, 0};
        for (std::string line; std::getline(lines, line);) {
            std::smatch match;
            if (std::regex_search(line, match, entry)) {
                const std::size_t depth = (match[1].length() - 3) / 2;  // 3, 5, 7 blanks
                if (depth < 3)
                    levels[depth] = static_cast<unsigned>(std::stoul(match[2], nullptr, 16));
            } else if (std::regex_search(line, match, leaf)) {
                leaves.push_back({levels[0], levels[1], levels[2],
                                  std::stoull(match[1], nullptr, 16),
                                  std::stoull(match[2], nullptr, 16)});
            }
        }
        return leaves;
    }

    std::optional<ResourceLeaf> findLeaf(unsigned type, unsigned name) const {
        for (const ResourceLeaf& leaf : resourceLeaves()) {
            if (leaf.type == type && leaf.name == name)
                return leaf;
        }
        return std::nullopt;
    }

    // The bytes of a resource, located through the .rsrc section's address and file offset.
    std::string leafBytes(const ResourceLeaf& leaf) const {
        const std::regex rsrc(R"(\.rsrc +([0-9a-f]+) +([0-9a-f]+) +[0-9a-f]+ +([0-9a-f]+))");
        const std::regex imageBase(R"(ImageBase\s+([0-9a-f]+))");
        std::smatch section, base;
        EXPECT_TRUE(std::regex_search(sectionHeaders_, section, rsrc));
        EXPECT_TRUE(std::regex_search(privateHeaders_, base, imageBase));
        const std::uint64_t sectionRva =
            std::stoull(section[2], nullptr, 16) - std::stoull(base[1], nullptr, 16);
        const std::uint64_t offset = std::stoull(section[3], nullptr, 16) + leaf.rva - sectionRva;
        return bytes_.substr(offset, leaf.size);
    }

    // String table blocks hold 16 counted UTF-16 strings; block n holds ids 16(n-1) to 16n-1.
    std::u16string stringResource(unsigned id) const {
        const auto leaf = findLeaf(6, id / 16 + 1);
        if (!leaf)
            return {};
        EXPECT_EQ(leaf->language, 1033u);
        const std::string block = leafBytes(*leaf);
        std::size_t position = 0;
        auto unitAt = [&](std::size_t at) {
            return static_cast<char16_t>(static_cast<unsigned char>(block[at]) |
                                         static_cast<unsigned char>(block[at + 1]) << 8);
        };
        for (unsigned index = 0; index < 16 && position + 2 <= block.size(); ++index) {
            const std::size_t length = unitAt(position);
            position += 2;
            std::u16string text;
            for (std::size_t i = 0; i < length; ++i)
                text += unitAt(position + 2 * i);
            position += 2 * length;
            if (index == id % 16)
                return text;
        }
        return {};
    }

    std::string exe_;
    std::string objdump_;
    std::string privateHeaders_;
    std::string sectionHeaders_;
    std::string bytes_;
};

TEST_F(WindowsExecutable, IsA64BitGuiSubsystemProgram) {
    EXPECT_NE(privateHeaders_.find("(PE32+)"), std::string::npos);
    EXPECT_NE(privateHeaders_.find("(Windows GUI)"), std::string::npos);
}

TEST_F(WindowsExecutable, NeedsNoRuntimeLibraryBeyondTheSystems) {
    const std::regex dll(R"(DLL Name: (\S+))");
    for (auto it = std::sregex_iterator(privateHeaders_.begin(), privateHeaders_.end(), dll);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        EXPECT_EQ(name.find("libgcc"), std::string::npos) << name;
        EXPECT_EQ(name.find("libstdc++"), std::string::npos) << name;
        EXPECT_EQ(name.find("libwinpthread"), std::string::npos) << name;
    }
}

TEST_F(WindowsExecutable, HoldsTheBuiltinTextsInLanguage1033) {
    EXPECT_EQ(stringResource(114), u"" LAUNCHER_TEXT_114_U16);
    EXPECT_EQ(stringResource(129), u"" LAUNCHER_TEXT_129_U16);
    EXPECT_EQ(stringResource(115), u"");
}

TEST_F(WindowsExecutable, HoldsIconGroup107) {
    const auto icon = findLeaf(14, 107);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->language, 1033u);
    const std::string group = leafBytes(*icon);
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(group[2], 1) << "resource type field of an icon group";
    EXPECT_GE(group[4], 1) << "at least one image";
}

TEST_F(WindowsExecutable, ManifestDeclaresWhatTheJdksJavaExeDeclaresAndLongPaths) {
    const auto manifest = findLeaf(24, 1);
    ASSERT_TRUE(manifest.has_value());
    const std::string text = leafBytes(*manifest);
    for (const char* declaration : {
             R"(requestedExecutionLevel level="asInvoker")", "<dpiAware>true/pm</dpiAware>",
             "<dpiAwareness>PerMonitorV2, PerMonitor</dpiAwareness>",
             "<longPathAware>true</longPathAware>",
             R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         }) {
        EXPECT_NE(text.find(declaration), std::string::npos) << declaration;
    }
}

TEST_F(WindowsExecutable, VersionResourceCarriesTheVendorsFields) {
    const auto version = findLeaf(16, 1);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->language, 1033u);
    const std::string block = leafBytes(*version);
    std::u16string text(block.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(block[2 * i]) |
                                        static_cast<unsigned char>(block[2 * i + 1]) << 8);
    // Each string is its key, a NUL, padding NULs to a 4-byte boundary, the value and a NUL.
    for (const auto& [key, value] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"CompanyName", u"" LAUNCHER_COMPANY_U16},
             {u"FileDescription", u"" LAUNCHER_FILE_DESCRIPTION_U16},
             {u"FileVersion", u"" LAUNCHER_FILE_VERSION_U16},
             {u"InternalName", u"" LAUNCHER_ORIGINAL_FILENAME_U16},
             {u"LegalCopyright", u"" LAUNCHER_COPYRIGHT_U16},
             {u"OriginalFilename", u"" LAUNCHER_ORIGINAL_FILENAME_U16},
             {u"ProductName", u"" LAUNCHER_PRODUCT_NAME_U16},
             {u"ProductVersion", u"" LAUNCHER_PRODUCT_VERSION_U16}}) {
        const std::size_t at = text.find(key + u'\0');
        ASSERT_NE(at, std::u16string::npos) << "no " << std::string(key.begin(), key.end());
        const std::size_t start = text.find_first_not_of(u'\0', at + key.size());
        EXPECT_EQ(text.substr(start, text.find(u'\0', start) - start), value)
            << std::string(key.begin(), key.end());
    }
}

}  // namespace

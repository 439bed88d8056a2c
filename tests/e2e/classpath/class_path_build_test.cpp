// The class path step of the real launcher, run in temporary installations.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/string_split.h"
#include "platform/files_and_directories.h"
#include "support/files.h"
#include "support/installation.h"

namespace {

using testing_support::hasLine;
using testing_support::Installation;
using testing_support::printedClassPath;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;

const std::string notDigitalLine = "Brantlo Client version is not digital.";

struct Layout {
    Layout(std::vector<std::string> files_, std::vector<std::string> directories_ = {},
           std::optional<std::string> version_ = std::nullopt)
        : files(std::move(files_)),
          directories(std::move(directories_)),
          version(std::move(version_)) {}

    std::vector<std::string> files;        // empty files, relative to the installation
    std::vector<std::string> directories;  // empty directories
    std::optional<std::string> version;    // bytes of the file "version", if any
};

void lay(const Installation& installation, const std::string& directive, const Layout& layout) {
    installation.write("launch.properties", "jvm.classpath=" + directive + "\n");
    for (const std::string& file : layout.files)
        installation.write(file, "");
    for (const std::string& directory : layout.directories)
        std::filesystem::create_directories(installation.root() / directory);
    if (layout.version)
        installation.write("version", *layout.version);
}

std::size_t countLines(const std::string& out, const std::string& line) {
    std::size_t count = 0;
    for (const std::string& each : launcher::splitString(out, '\n'))
        count += each == line ? 1 : 0;
    return count;
}

// The elements joined as the launcher joins them on this platform.
std::string joined(const std::vector<std::string>& elements) {
    std::string text;
    for (const std::string& element : elements)
        text += (text.empty() ? "" : std::string(1, platform::pathListSeparator())) + element;
    return text;
}

TEST(ClassPathBuild, KeepsOneFilePerJarInJarNameOrder) {
    struct Case {
        std::string directive;
        Layout layout;
        std::vector<std::string> elements;
    };
    const std::vector<Case> cases = {
        {"lib/a.jar;lib/b.jar",
         {{"lib/a.jar", "lib/b__V1.0.jar", "lib/notes.txt"}},
         {"lib/a.jar", "lib/b__V1.0.jar"}},
        {"x/b.jar;a/c.jar;lib/z.jar;lib/a.jar",
         {{"x/b.jar", "a/c.jar", "lib/z.jar", "lib/a.jar", "lib/b.jar"}},
         {"lib/a.jar", "x/b.jar", "a/c.jar", "lib/z.jar"}},
        {"a.jar;/a.jar", {{"a.jar", "lib/a.jar"}}, {"a.jar"}},
        // One jar under two directories: both compete for one element.
        {"lib/a.jar;ext/a.jar",
         {{"lib/a__V2.1.0.jar", "ext/a__V2.0.jar"}, {}, "2.1.0"},
         {"lib/a__V2.1.0.jar"}},
        {"lib/a.jar;ext/a.jar", {{"ext/a__V2.0.jar"}, {"lib"}, "2.1.0"}, {"ext/a__V2.0.jar"}},
        // A directory named like the jar is never a candidate.
        {"lib/x.jar",
         {{"lib/x__V1.jar", "lib/x.jar/inner.jar"}, {"lib/x__V1.jar.d"}},
         {"lib/x__V1.jar"}},
        {"lib/core.jar",
         {{"lib/Core__V1.jar", "lib/core.jar", "lib/core-1.jar"}},
         {"lib/core.jar"}},
        {"lib/", {{"lib/only.txt"}, {"lib/sub"}}, {"lib/only.txt"}},
        {"lib/tools", {{"lib/toolsmith.txt"}}, {"lib/toolsmith.txt"}},
        {"", {{"a.jar"}}, {}},
        {"lib/a.jar;", {{"lib/a.jar"}}, {"lib/a.jar"}},
        {" lib /a.jar", {{" lib /a.jar"}}, {" lib /a.jar"}},
    };
    for (const Case& c : cases) {
        const Installation installation;
        lay(installation, c.directive, c.layout);
        const ProcessResult result = installation.run();
        EXPECT_EQ(printedClassPath(result.out), joined(c.elements))
            << "directive: " << c.directive << "\nout: " << result.out;
    }
}

TEST(ClassPathBuild, EmptyJarNameBetweenTwoSeparatorsTakesAFileOfTheCurrentDirectory) {
    const Installation installation;
    lay(installation, "lib/a.jar;;", {{"lib/a.jar"}});
    std::set<std::string> regularFiles;
    for (const auto& entry : std::filesystem::directory_iterator(installation.root())) {
        if (entry.is_regular_file())
            regularFiles.insert(entry.path().filename().string());
    }
    const ProcessResult result = installation.run();
    const auto classPath = printedClassPath(result.out);
    ASSERT_TRUE(classPath.has_value()) << result.out;
    const auto elements = launcher::splitString(*classPath, platform::pathListSeparator());
    ASSERT_EQ(elements.size(), 2u) << *classPath;
    EXPECT_TRUE(regularFiles.contains(elements[0])) << elements[0];
    EXPECT_EQ(elements[1], "lib/a.jar");
}

TEST(ClassPathBuild, GivesUpWithExitStatusOneAtTheFirstFailure) {
    struct Case {
        std::string directive;
        Layout layout;
        std::string message;
        std::string notPrinted;  // what a directory after the failure would have said
    };
    const std::vector<Case> cases = {
        {"libx/a.jar;lib/b.jar", {{"lib/b.jar"}}, "Failed to scan dir 'libx'", ""},
        {"lib/a.jar", {{"lib"}}, "Failed to scan dir 'lib'", ""},
        {"a/x.jar;b/y.jar", {{"b/x.jar"}}, "Failed to scan dir 'a'", "b/y.jar is missed."},
        {"a/x.jar;b/y.jar",
         {{"a/y.jar"}},
         "Failed to build classpath. a/x.jar is missed.",
         "Failed to scan dir 'b'"},
        {"lib/a.jar;ext/a.jar",
         {{"lib/a.jar"}, {"ext"}},
         "Failed to build classpath. ext/a.jar is missed.",
         ""},
        {"lib/b.jar;lib/a.jar;lib/c.jar",
         {{"lib/a.jar"}},
         "Failed to build classpath. lib/b.jar is missed.",
         "lib/c.jar is missed."},
        {"lib\\a.jar",
         {{"lib/a.jar", "lib\\a.jar.d"}},
         "Failed to build classpath. /lib\\a.jar is missed.",
         ""},
        {"lib/x.jar",
         {{"lib/x.jar/inner.jar"}},
         "Failed to build classpath. lib/x.jar is missed.",
         ""},
        {"lib/Core.jar",
         {{"lib/core.jar"}},
         "Failed to build classpath. lib/Core.jar is missed.",
         ""},
        // A NUL inside the text must not list the directory named by the text before it.
        {std::string("li\0b/a.jar", 10),
         {{"li/a.jar"}},
         std::string("Failed to scan dir 'li\0b'", 25),
         ""},
    };
    for (const Case& c : cases) {
        const Installation installation;
        lay(installation, c.directive, c.layout);
        const ProcessResult result = installation.run();
        EXPECT_EQ(result.exitCode, 1) << c.directive;
        EXPECT_TRUE(hasLine(result.out, c.message)) << c.directive << "\nout: " << result.out;
        EXPECT_FALSE(printedClassPath(result.out).has_value()) << result.out;
        if (!c.notPrinted.empty()) {
            EXPECT_EQ(result.out.find(c.notPrinted), std::string::npos) << result.out;
        }
    }
}

TEST(ClassPathBuild, ReadsTheFirstLineOfTheVersionFileByteForByte) {
    struct Case {
        std::optional<std::string> version;
        std::string printed;
        std::size_t notDigitalLines;
    };
    const std::vector<Case> cases = {
        {"2.1.0\r\nsecond\n", "2.1.0", 0},
        {"2.1.0", "2.1.0", 0},
        {"\xEF\xBB\xBF"
         "2.1.0\n",
         "\xEF\xBB\xBF"
         "2.1.0",
         1},
        {" 2.1.0 \n", " 2.1.0 ", 1},
        {"", "", 1},
        {std::nullopt, "", 1},
    };
    for (const Case& c : cases) {
        const Installation installation;
        lay(installation, "lib/a.jar", {{"lib/a__V1.jar", "lib/a__V2.1.0.jar"}, {}, c.version});
        const ProcessResult result = installation.run();
        const std::string context = "version '" + c.version.value_or("(none)") + "'";
        EXPECT_TRUE(hasLine(result.out, "Brantlo Client version: " + c.printed))
            << context << "\nout: " << result.out;
        EXPECT_EQ(countLines(result.out, notDigitalLine), c.notDigitalLines) << context;
        // Digital: the better version wins whatever the listing order.
        if (c.notDigitalLines == 0) {
            EXPECT_EQ(printedClassPath(result.out), "lib/a__V2.1.0.jar") << context;
        }
    }
}

// Only the first line of "version" is read: the rest, however large (a file a crash left
// preallocated, here a 3 GiB hole), costs nothing. Under a 1 GiB address limit a launcher that
// read it whole would die of std::bad_alloc.
TEST(ClassPathBuild, ReadsTheVersionFileNoFurtherThanItsFirstLine) {
    const Installation installation;
    lay(installation, "lib/a.jar", {{"lib/a__V1.jar", "lib/a__V2.1.0.jar"}, {}, "2.1.0\n"});
    std::filesystem::resize_file(installation.root() / "version", std::uintmax_t{3} << 30);
#if defined(__SANITIZE_ADDRESS__)
    const std::string limit;  // AddressSanitizer's shadow memory alone is larger
#else
    const std::string limit = "ulimit -v 1048576 && ";
#endif
    ProcessOptions options = installation.launchOptions();
    options.arguments = {"sh", "-c", limit + "exec \"$0\"", options.program};
    options.program = "/bin/sh";
    const ProcessResult result = testing_support::runProcess(options);
    EXPECT_EQ(result.signal, 0) << result.err;
    EXPECT_TRUE(hasLine(result.out, "Brantlo Client version: 2.1.0")) << result.out << result.err;
    EXPECT_EQ(printedClassPath(result.out), "lib/a__V2.1.0.jar") << result.out;
}

TEST(ClassPathBuild, JarWrittenTwiceIsOfferedTwice) {
    for (const std::string version : {"x", "1"}) {
        const Installation installation;
        lay(installation, "lib/a.jar;lib/a.jar", {{"lib/a.jar"}, {}, version});
        const ProcessResult result = installation.run();
        EXPECT_EQ(countLines(result.out, notDigitalLine), version == "x" ? 1u : 0u) << version;
        EXPECT_EQ(printedClassPath(result.out), "lib/a.jar") << version;
    }
}

// A small ext2 file system without the filetype feature, mounted through a loop device: its
// directories record no entry types, as on some network file systems, so every entry is listed
// as of unknown type. whyNot() says why it could not be had on this machine.
class TypelessFileSystem {
  public:
    TypelessFileSystem() {
        const ProcessResult made = shell(
            "truncate -s 4M image && mkfs.ext2 -q -F -O ^filetype image && mkdir mnt && "
            "mount -t ext2 -o loop image mnt");
        if (made.exitCode != 0)
            whyNot_ = "no loop-mounted ext2 on this machine: " + made.err;
    }
    ~TypelessFileSystem() {
        if (whyNot_.empty())
            shell("umount --detach-loop mnt");
    }
    TypelessFileSystem(const TypelessFileSystem&) = delete;
    TypelessFileSystem& operator=(const TypelessFileSystem&) = delete;

    const std::string& whyNot() const { return whyNot_; }
    std::filesystem::path root() const { return dir_.path() / "mnt"; }

  private:
    ProcessResult shell(const std::string& script) const {
        ProcessOptions options;
        options.program = "/bin/sh";
        options.arguments = {"sh", "-c", "PATH=$PATH:/usr/sbin:/sbin; " + script};
        options.workingDirectory = dir_.path().string();
        return testing_support::runProcess(options);
    }

    testing_support::TempDir dir_;
    std::string whyNot_;
};

// Only what the JVM reads as the chosen jar is offered: a regular file, reached directly or
// through a link, whose name the JVM will not split. Directories, FIFOs and devices named like
// a better version would otherwise win, and the JVM would skip them or block opening them.
TEST(ClassPathBuild, OffersOnlyRegularFilesThatTheJvmReadsAsOneElement) {
    const TypelessFileSystem typeless;
    if (!typeless.whyNot().empty())
        GTEST_SKIP() << typeless.whyNot();
    const std::string lib = (typeless.root() / "lib").string();
    for (const char* file : {"core__V2.0.jar", "y__V1.jar", "z__V1.jar", "w__V1.jar", "s__V2.0.jar",
                             "s__V2.1.0:fix.jar", "solo__V2.1.0:fix.jar"})
        testing_support::writeFile(lib + "/" + file, "");
    for (const char* directory : {"core__V2.1.0.jar", "x.jar", "emp", "x:lib"})
        std::filesystem::create_directories(lib + "/" + directory);
    ASSERT_EQ(::mkfifo((lib + "/y__V2.1.0.jar").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((lib + "/fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("fifo", lib + "/z__V2.1.0.jar");
    std::filesystem::create_symlink("/dev/null", lib + "/w__V2.1.0.jar");
    {
        DIR* stream = ::opendir(lib.c_str());
        ASSERT_NE(stream, nullptr);
        while (const dirent* entry = ::readdir(stream))
            EXPECT_EQ(entry->d_type, DT_UNKNOWN) << entry->d_name;
        ::closedir(stream);
    }

    struct Case {
        std::string directive;
        std::string outcome;  // the class path, or the failure message
    };
    const std::vector<Case> cases = {
        {lib + "/core.jar;" + lib + "/y.jar;" + lib + "/z.jar;" + lib + "/w.jar;" + lib + "/s.jar",
         joined({lib + "/core__V2.0.jar", lib + "/s__V2.0.jar", lib + "/w__V1.jar",
                 lib + "/y__V1.jar", lib + "/z__V1.jar"})},
        {lib + "/x.jar", "Failed to build classpath. " + lib + "/x.jar is missed."},
        {lib + "/emp/", "Failed to build classpath. " + lib + "/emp/ is missed."},
        {lib + "/solo.jar", "Failed to build classpath. " + lib + "/solo.jar is missed."},
        {lib + "/x:lib/core.jar;" + lib + "/core.jar",
         "Failed to build classpath. The directory '" + lib +
             "/x:lib' holds ':', which separates class path elements."},
    };
    for (const Case& c : cases) {
        const Installation installation;
        lay(installation, c.directive, {{}, {}, "2.1.0"});
        const ProcessResult result = installation.run();
        const auto classPath = printedClassPath(result.out);
        if (classPath) {
            EXPECT_EQ(*classPath, c.outcome) << result.out;
        } else {
            EXPECT_EQ(result.exitCode, 1) << c.directive;
            EXPECT_TRUE(hasLine(result.out, c.outcome)) << c.directive << "\nout: " << result.out;
        }
    }
}

}  // namespace

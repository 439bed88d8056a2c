#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "classpath/jars_version_resolver.h"

namespace launcher {
namespace {

const std::string notDigitalLine = "Brantlo Client version is not digital.\n";

std::string versionLine(const std::string& version) {
    return "Brantlo Client version: " + version + "\n";
}

std::size_t countOf(const std::string& text, const std::string& line) {
    std::size_t count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++count;
    return count;
}

// Offers fileName for jarName as the builder does. The jar names of these tests are literals,
// which outlive every resolver.
void offer(JarsVersionResolver& resolver, std::string_view jarName, const std::string& fileName,
           std::string_view dirPrefix) {
    resolver.offer(resolver.placeFor(jarName), JarFileName(fileName), dirPrefix, true);
}

// Offers the files in order for lib.jar and returns the file chosen after each offer.
std::vector<std::string> choicesAfterEachOffer(JarsVersionResolver& resolver,
                                               const std::vector<std::string>& files) {
    std::vector<std::string> choices;
    for (const std::string& file : files) {
        offer(resolver, "lib.jar", file, "lib/");
        choices.push_back(resolver.getClassPath(';'));
    }
    return choices;
}

TEST(JarsVersionResolver, MovesToTheFileSharingMoreLeadingParts) {
    testing::internal::CaptureStdout();
    JarsVersionResolver resolver("2.1.0");
    // Scores 1, 2, 0, 3.
    const auto choices = choicesAfterEachOffer(
        resolver, {"lib__V2.0.9.jar", "lib__V2.1.3.jar", "lib.jar", "lib__V2.1.0.jar"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), versionLine("2.1.0"));
    EXPECT_EQ(choices, (std::vector<std::string>{"lib/lib__V2.0.9.jar", "lib/lib__V2.1.3.jar",
                                                 "lib/lib__V2.1.3.jar", "lib/lib__V2.1.0.jar"}));
}

TEST(JarsVersionResolver, EqualScoresKeepTheFirstOffer) {
    struct Case {
        std::string clientVersion;
        std::vector<std::string> files;
        std::string chosen;
    };
    const std::vector<Case> cases = {
        {"2.1.0", {"lib__V2.1.0.1.jar", "lib__V2.1.0.jar"}, "lib__V2.1.0.1.jar"},
        {"2.1.0", {"lib.jar", "lib__V3.0.0.jar"}, "lib.jar"},
        {"2.1.0", {"lib__V2.1.0.jar", "lib__V2.1.0.jar"}, "lib__V2.1.0.jar"},
        {"2.1.0", {"lib__V9.jar", "lib.jar", "lib__V2.2.jar"}, "lib__V2.2.jar"},
        // Parts are strings: 2.1 shares only "2" with 2.01, so 2.01 itself still wins.
        {"2.01", {"lib__V3.jar", "lib__V2.1.jar", "lib__V2.01.jar"}, "lib__V2.01.jar"},
        {"2.01", {"lib__V2.1.jar", "lib__V2.01.jar"}, "lib__V2.01.jar"},
        // An empty part is a part like any other.
        {"1..2", {"lib__V1.x.2.jar", "lib__V1..2.jar"}, "lib__V1..2.jar"},
        {".", {"lib.jar", "lib__V..jar"}, "lib__V..jar"},
        // A part is shared only whole: 2.1 is not 2.10, and a '.' ending a text begins no part.
        {"2.10", {"lib__V2.1.jar", "lib__V2.10.jar"}, "lib__V2.10.jar"},
        {"2.1", {"lib__V2.10.jar", "lib__V2.1.9.jar"}, "lib__V2.1.9.jar"},
        {"2.1.",
         {"lib__V2.jar", "lib__V2.1x.jar", "lib__V2.1.jar", "lib__V2.1..jar"},
         "lib__V2.1.jar"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        JarsVersionResolver resolver(c.clientVersion);
        const auto choices = choicesAfterEachOffer(resolver, c.files);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), versionLine(c.clientVersion))
            << "client version " << c.clientVersion;
        EXPECT_EQ(choices.back(), "lib/" + c.chosen) << "client version " << c.clientVersion;
    }
}

TEST(JarsVersionResolver, NonDigitalVersionKeepsFirstFileAndSaysSoPerLaterOffer) {
    const std::vector<std::string> versions = {
        "",
        "2.1.x",
        "2.1.0-beta",
        "2.1a",
        "\xEF\xBB\xBF"  // NOLINT(bugprone-suspicious-missing-comma): ends \xBF
        "2.1",
        " 2.1.0",
        "2.\xB9"};
    for (const std::string& version : versions) {
        testing::internal::CaptureStdout();
        JarsVersionResolver resolver(version);
        offer(resolver, "b.jar", "b.jar", "");
        const auto choices = choicesAfterEachOffer(
            resolver, {"lib__V1.jar", "lib__V2.1.0.jar", "lib__V2.1.0.jar", "lib__V2.1.jar"});
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(out.starts_with(versionLine(version))) << "version '" << version << "'";
        EXPECT_EQ(countOf(out, notDigitalLine), 3u) << "version '" << version << "'";
        EXPECT_EQ(out.size(), versionLine(version).size() + 3 * notDigitalLine.size());
        EXPECT_EQ(choices.back(), "b.jar;lib/lib__V1.jar") << "version '" << version << "'";
    }
}

TEST(JarsVersionResolver, ClassPathFollowsByteWiseJarNameOrder) {
    testing::internal::CaptureStdout();
    JarsVersionResolver resolver("1");
    EXPECT_EQ(resolver.getClassPath(';'), "");
    offer(resolver, "b.jar", "b__V2.1.0.jar", "lib/");
    offer(resolver, "alpha.jar", "alpha.jar", "z/");
    offer(resolver, "a.jar", "a.jar", "");
    offer(resolver, "Zeta.jar", "Zeta.jar", "x/y/");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(resolver.getClassPath(';'), "x/y/Zeta.jar;a.jar;z/alpha.jar;lib/b__V2.1.0.jar");
    EXPECT_EQ(resolver.getClassPath(':'), "x/y/Zeta.jar:a.jar:z/alpha.jar:lib/b__V2.1.0.jar");
}

TEST(JarsVersionResolver, OneEntryPerJarNameWhateverTheDirectory) {
    testing::internal::CaptureStdout();
    JarsVersionResolver resolver("2.1.0");
    const std::size_t place = resolver.placeFor("a.jar");
    EXPECT_FALSE(resolver.offered(place));
    offer(resolver, "a.jar", "a__V2.0.jar", "ext/");
    offer(resolver, "a.jar", "a__V2.1.0.jar", "lib/");
    offer(resolver, "a.jar", "a__V2.1.0.jar", "other/");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(resolver.placeFor("a.jar"), place);
    EXPECT_TRUE(resolver.offered(place));
    EXPECT_FALSE(resolver.offered(resolver.placeFor("A.jar")));
    EXPECT_FALSE(resolver.offered(resolver.placeFor("a.ja")));
    EXPECT_EQ(resolver.getClassPath(';'), "lib/a__V2.1.0.jar");
}

// A file the JVM can't open by its name is kept only until one it can open is offered,
// whatever the versions; among the files it can open the versions decide as before.
TEST(JarsVersionResolver, AFileTheJvmCanOpenBeatsOneItCannot) {
    for (const std::string clientVersion : {"2.1.0", "x"}) {
        testing::internal::CaptureStdout();
        JarsVersionResolver resolver(clientVersion);
        const JarFileName unreadable("lib__V2.1.0.\xE9.jar");
        const JarFileName older("lib__V2.0.jar");
        const JarFileName newer("lib__V2.1.jar");
        const std::size_t choice = resolver.placeFor("lib.jar");
        resolver.offer(choice, unreadable, "lib/", false);
        EXPECT_EQ(resolver.getClassPath(';'), "lib/lib__V2.1.0.\xE9.jar");
        resolver.offer(choice, older, "lib/", true);
        resolver.offer(choice, unreadable, "lib/", false);
        EXPECT_EQ(resolver.getClassPath(';'), "lib/lib__V2.0.jar") << clientVersion;
        resolver.offer(choice, newer, "lib/", true);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(resolver.getClassPath(';'),
                  clientVersion == "x" ? "lib/lib__V2.0.jar" : "lib/lib__V2.1.jar");
    }
}

}  // namespace
}  // namespace launcher

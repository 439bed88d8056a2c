#pragma once

// Installations for the JVM hosting tests: the Java test client on a versioned class path,
// and helpers to read what the launcher printed.

#include <string>
#include <utility>
#include <vector>

#include "support/installation.h"

namespace jvm_e2e {

using Environment = std::vector<std::pair<std::string, std::string>>;

// The environment of a run against the real JVM: it accepts the built-in -XX:MaxPermSize.
Environment modernJvmEnvironment();

// The environment of a run against the real JVM that leaves its option checks as they are.
Environment plainJvmEnvironment();

// Puts the test client into lib/ as two versions side by side (1.1.0 and 1.2.0, the client
// being 1.2.0) and writes launch.properties: the class path directive for it, then
// moreProperties (complete lines).
void installClient(const testing_support::Installation& installation,
                   const std::string& moreProperties);

// The same, with jvm.dll.path and jvm.bin.path of the real JVM and main.class set.
void installClientForRealJvm(const testing_support::Installation& installation,
                             const std::string& mainClass, const std::string& moreProperties = "");

// The jar file that installClient puts on the class path, relative to the installation.
std::string chosenClientJar();

std::string noJvmEntryLibrary();

// The line the POSIX launcher writes for a message box of the JVM hosting steps.
std::string hostingBoxLine(const std::string& text);

// The value of the first line of output that begins with prefix (without the line feed), or
// "(missing)".
std::string lineValue(const std::string& output, const std::string& prefix);

// text (UTF-8) as the test client and the stub escape it: UTF-16 units outside printable
// ASCII, and the backslash, as \uXXXX.
std::string javaEscaped(const std::string& text);

bool contains(const std::string& text, const std::string& part);

// Whether part occurs in text, and after everything that first occurs at earlier.
bool containsAfter(const std::string& text, const std::string& earlier, const std::string& part);

}  // namespace jvm_e2e

#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// One file found for a configured jar; its class path element is dirPrefix + fileName.
struct JarCandidate {
    std::string fileName;   // the directory entry's name as listed
    std::string dirPrefix;  // the directory text and "/", or "" for the current directory
};

// Keeps, per configured jar name, the offered file whose version shares the longest leading
// run of parts with the client's version; the first offered wins ties.
class JarsVersionResolver {
  public:
    // Prints the client version line.
    explicit JarsVersionResolver(const std::string& clientVersion);

    void offerJar(const std::string& jarName, const JarCandidate& candidate);
    bool containsJar(const std::string& jarName) const;

    // The chosen files in byte-wise order of their jar names, joined by separator.
    std::string getClassPath(char separator) const;

  private:
    int countMatchingVersionParts(std::string_view version) const;
    bool isClientVersionDigital() const;

    std::map<std::string, JarCandidate> chosenJars;
    std::vector<std::string> clientVersionParts;
};

}  // namespace launcher

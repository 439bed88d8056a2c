#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classpath/jar_version.h"

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
    JarsVersionResolver(const JarsVersionResolver&) = delete;
    JarsVersionResolver& operator=(const JarsVersionResolver&) = delete;

    // Room for this many jar names, which are then placed without growing anything.
    void reserve(std::size_t jarNames);

    // placeFor and offer, with a copy of jarName kept as long as the resolver.
    void offerJar(const std::string& jarName, const JarCandidate& candidate);
    bool containsJar(const std::string& jarName) const;

    // The place of jarName, made (still without a file) when there is none yet; the builder
    // looks it up once per directory and then offers every file of that directory to it. The
    // text of jarName must outlive the resolver. Names asked for in byte-wise order are found
    // without a search.
    std::size_t placeFor(std::string_view jarName);
    // offerJar for the jar name at place. A file the JVM could not open by its name (readable
    // false) is kept only until a file it can open is offered, whatever the versions.
    void offer(std::size_t place, const JarFileName& fileName, std::string_view dirPrefix,
               bool readable = true);
    // Whether a file was offered for the jar name at place.
    bool offered(std::size_t place) const { return places[place].offered; }

    // The chosen files in byte-wise order of their jar names, joined by separator.
    std::string getClassPath(char separator) const;

  private:
    int countMatchingVersionParts(std::string_view version) const;
    int scoreOf(const JarFileName& fileName) const;

    struct Place {
        std::string_view name;
        std::size_t elementAt = 0;  // the chosen file's class path element in chosenElements
        std::size_t elementSize = 0;
        int score = 0;  // of the chosen file's version
        bool offered = false;
        bool readable = true;  // whether the JVM can open the chosen file by its name
    };
    void choose(Place& place, std::string_view fileName, std::string_view dirPrefix, int score,
                bool readable);
    // Where jarName's place is or would go in byName.
    std::size_t orderAt(std::string_view jarName) const;
    // The place of jarName, or std::string_view::npos.
    std::size_t find(std::string_view jarName) const;

    // The places in the order asked for.
    std::vector<Place> places;
    // Their positions in places in byte-wise order of their names, the order of the class path.
    std::vector<std::size_t> byName;
    std::size_t lastAskedAt = 0;           // in byName
    std::deque<std::string> keptJarNames;  // those offerJar was given
    // Every element chosen so far, one after the other (a replaced one stays unused). Grown by
    // hand: a choice is made at most offers, and the library's append costs several times the
    // copy of a name this short.
    void growChosenElements(std::size_t size);
    std::unique_ptr<char[]> chosenElements;
    std::size_t chosenSize = 0;
    std::size_t chosenCapacity = 0;
    const std::string clientVersionText;
    // Counted once: the client version is fixed, and so is whether it is digital.
    int clientVersionPartCount = 0;
    bool clientVersionDigital = false;
};

}  // namespace launcher

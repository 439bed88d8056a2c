#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "classpath/jar_file_name.h"

namespace launcher {

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

    // The place of jarName, made (still without a file) when there is none yet; the builder
    // looks it up once per directory and then offers every file of that directory to it. The
    // text of jarName must outlive the resolver. Names asked for in byte-wise order are found
    // without a search.
    std::size_t placeFor(std::string_view jarName);
    // Offers the file dirPrefix + fileName for the jar name at place. A file the JVM could not
    // open by its name (readable false) is kept only until a file it can open is offered,
    // whatever the versions.
    void offer(std::size_t place, const JarFileName& fileName, std::string_view dirPrefix,
               bool readable);
    bool offered(std::size_t place) const { return places[place].offered; }

    // The chosen files in byte-wise order of their jar names, joined by separator.
    std::string getClassPath(char separator) const;

  private:
    int countMatchingVersionParts(std::string_view version) const;

    struct Place {
        std::string_view name;
        std::size_t elementAt = 0;  // the chosen file's class path element in chosenElements
        std::size_t elementSize = 0;
        int score = 0;  // of the chosen file's version
        bool offered = false;
        bool readable = true;  // whether the JVM can open the chosen file by its name
    };
    // Where jarName's place is or would go in byName.
    std::size_t orderAt(std::string_view jarName) const;

    // The places in the order asked for.
    std::vector<Place> places;
    // Their positions in places in byte-wise order of their names, the order of the class path.
    std::vector<std::size_t> byName;
    std::size_t lastAskedAt = 0;  // in byName
    // Every element chosen so far, one after the other (a replaced one stays unused): one
    // allocation for all of them instead of one per jar.
    std::string chosenElements;
    const std::string clientVersionText;
    // Counted once: the client version is fixed, and so is whether it is digital.
    int clientVersionPartCount = 0;
    bool clientVersionDigital = false;
};

}  // namespace launcher

// Lists that broke a promise before, and the lists the guide's rules are written for, for the
// list tester's two runners: each row says on which system it runs.
#include "list_tester.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace list_tester {

namespace {

enum class On { both, posix, windows };

// A row as a reader writes it: $L stands for the launcher's name. Entries are "path=content",
// "!path=content" (read-only) or "path->target" (a link: '@' the installation, otherwise a
// path in the tree outside); operations are "name file [destination]", separated by ';'. Rows
// for both systems write '/' between directories, which the Windows runner reads as '\\'.
struct Row {
    On on;
    const char* what;
    const char* entries;
    std::optional<std::string> size;
    const char* operations;
    bool secondStart = false;
    int killAtPause = 0;
};

const Row rows[] = {
    // The launcher's own replacement.
    {On::both, "the launcher replaced", "upd/$L=<new launcher>", "2", "delete $L; rename upd/$L $L",
     true},
    {On::both, "a replacement that never arrived", "", "2", "delete $L; rename upd/$L $L", true},
    {On::both, "a delete of the launcher alone", "", "1", "delete $L", true},
    {On::both, "the launcher replaced, then a rename that fails", "upd/$L=<new launcher>", "3",
     "delete $L; rename upd/$L $L; rename lib/app.jar missing/app.jar", true},
    {On::both, "an operation that fails between the delete and the replacement",
     "upd/$L=<new launcher>", "3",
     "delete $L; rename lib/app.jar missing/app.jar; rename upd/$L $L", true},
    {On::posix, "killed while an operation between the delete and the replacement is retried",
     "upd/$L=<new launcher>", "3",
     "delete $L; rename lib/app.jar missing/app.jar; rename upd/$L $L", false, 5},
    {On::both, "a skipped operation between the delete and the replacement",
     "upd/$L=<new launcher>", "3", "delete $L; delete gone/x.jar; rename upd/$L $L", true},
    {On::both, "the launcher renamed away, then replaced", "upd/$L=<new launcher>", "2",
     "rename $L $L.bak; rename upd/$L $L", true},
    {On::both,
     "the launcher renamed away, its replacement missing, a stale copy that is no program",
     "$L.old=stale", "2", "rename $L $L.bak; rename upd/$L $L", true},
    {On::windows, "a read-only copy moved aside earlier", "upd/$L=<new launcher> !$L.old=stale",
     "2", "delete $L; rename upd/$L $L", true},
    {On::posix, "the launcher, which has a second name, deleted through a link to the installation",
     "self->@", "1", "delete self/$L"},
    {On::both, "the copy moved aside deleted or moved by the list", "", "3",
     "delete $L; rename $L.old moved; delete $L.old"},
    {On::windows, "a stale copy that is a link out, with no list", "$L.old->f.txt", std::nullopt,
     "", true},

    // Sizes: none, or beyond the list.
    {On::both, "no size", "a.jar=a", std::nullopt, "delete a.jar"},
    {On::both, "a size beyond the list", "a.jar=a", "3", "delete a.jar"},

    // Paths: separators, dots, names no file can have, links, the way out.
    {On::posix, "operations in order, unknown ones doing nothing, odd names skipped",
     "lib/ext/a.jar=ext lib/keep.txt=keep lib/old/b.jar=b a.jar=old a.new=new c.txt=c", "9",
     "delete lib/ext/a.jar; rename lib/old/b.jar lib/b.jar; delete a.jar; rename a.new a.jar; "
     "Delete c.txt; move c.txt d.txt; delete gone%s%d.jar; rename gone.new c.txt"},
    {On::windows, "backslash paths remove the directories they empty; names no file can have",
     "plugins/ext/a.jar=a plugins/old/b.jar=b plugins/keep.txt=keep", "7",
     "delete plugins\\ext\\a.jar; rename plugins\\old\\b.jar plugins\\b.jar; "
     "delete plugins\\gone.jar; delete plugins\\*.jar; rename a\"b<c>|d? e; delete a\"b; "
     "delete p|q"},
    {On::windows, "forward slashes are no separator: emptied directories stay",
     "data/old/c.txt=c data/gone/d.txt=d", "2",
     "rename data/old/c.txt data/c.txt; delete data/gone/d.txt"},
    {On::both, "a directory renamed onto itself", "ext/x.jar=x", "1", "rename ext ext"},
    {On::posix, "emptied directories written with a trailing separator, a dot or a doubled one",
     "d2/e/f.txt=f upd/g.txt=g h/i/j.txt=j", "4",
     "delete d2/e/f.txt; delete d2/e/; delete upd/./g.txt; delete h/i//j.txt"},
    {On::posix, "a directory a later rename needs, emptied through a link",
     "self->@ a/b/z.txt=z stage/z.txt=new", "2",
     "delete self/a/b/z.txt; rename stage/z.txt a/b/z.txt"},
    {On::both, "a directory a later rename needs, with its parents", "a/b/x.jar=x stage/x.jar=new",
     "2", "delete a/b/x.jar; rename stage/x.jar a/b/x.jar"},
    {On::posix, "a directory a later rename moves into, emptied directories nothing needs",
     "ext/report.jar=OLD staging/report.jar=NEW gone/old.jar=x", "3",
     "delete ext/report.jar; delete gone/old.jar; rename staging/report.jar ./ext//report.jar"},
    {On::windows, "one directory written two ways", "ext/a.jar=old stage/a.jar=new", "2",
     "delete ext.\\a.jar; rename stage\\a.jar ext\\a.jar"},
    {On::both, "links that lead out", "wlink->f.txt outd->d", "2",
     "delete wlink; rename outd mine"},
    // The tester lays the installation out beside the tree outside, as ../outside.
    {On::both, "paths climbing out with '..', and one that stays inside",
     "inside.txt=inside lib/old.jar=old stays/x.txt=x", "5",
     "delete ../outside/f.txt; rename lib/../../outside/f.txt in.txt; "
     "rename inside.txt stays/../../moved-out; delete lib/old.jar; "
     "rename stays/../stays/x.txt y.txt"},
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

Scenario scenarioOf(const Row& row, System system) {
    const std::string launcher = system == System::windows ? "launcher.exe" : "launcher";
    Scenario scenario{{}, row.size, {}, row.secondStart, row.killAtPause};
    for (std::string entry : split(replaced(row.entries, "$L", launcher), ' ')) {
        const bool readOnly = entry.front() == '!';
        if (readOnly)
            entry.erase(0, 1);
        const std::size_t link = entry.find("->");
        const std::size_t equals = entry.find('=');
        scenario.entries.push_back(
            link != std::string::npos
                ? Entry{Entry::Kind::link, entry.substr(0, link), entry.substr(link + 2)}
                : Entry{Entry::Kind::file, entry.substr(0, equals), entry.substr(equals + 1),
                        readOnly});
    }
    std::string operations = replaced(row.operations, "$L", launcher);
    if (row.on == On::both && system == System::windows)
        operations = replaced(operations, "/", "\\");
    for (const std::string& operation : split(operations, ';')) {
        const std::vector<std::string> words = split(operation, ' ');
        scenario.operations.push_back(
            {words.at(0), words.at(1), words.size() > 2 ? std::optional(words[2]) : std::nullopt});
    }
    return scenario;
}

}  // namespace

std::vector<std::pair<std::string, Scenario>> knownLists(System system) {
    std::vector<std::pair<std::string, Scenario>> lists;
    for (const Row& row : rows) {
        if (row.on == On::both || (row.on == On::posix) == (system == System::posix))
            lists.emplace_back(row.what, scenarioOf(row, system));
    }
    // Sizes that read as none or below zero, within int or beyond it (the largest int and
    // beyond: tests/reliability/deferred_bad_lists_test.cpp).
    for (const char* size : {"0", "-3", "", "none", "-1", "-2147483649", "-99999999999999999999"})
        lists.emplace_back(
            std::string("size ") + size,
            scenarioOf({On::both, "", "a.jar=a b.new=b", size, "delete a.jar; rename b.new b.jar"},
                       system));
    return lists;
}

}  // namespace list_tester

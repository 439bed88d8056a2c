// Prints the narrow form that the launcher gives an executable's path under a code page of the
// caller's choice, with the short form that GetShortPathNameW is to answer:
//   code_page_probe CODE_PAGE PATH [SHORT_FORM]
// prints the bytes as hex, or "none" when no form exists, without a line end. Without SHORT_FORM
// the path has none.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/win/win_internal.h"

namespace {

std::optional<std::wstring> shortFormAnswer;

std::optional<std::wstring> answerShortForm(const std::wstring&) {
    return shortFormAnswer;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    if (argc > 3)
        shortFormAnswer = argv[3];
    const auto codePage = static_cast<unsigned>(std::wcstoul(argv[1], nullptr, 10));
    const std::optional<std::string> narrow =
        platform::win::narrowModulePath(argv[2], codePage, answerShortForm);
    if (!narrow) {
        std::fputs("none", stdout);
        return 0;
    }
    for (const char byte : *narrow)
        std::printf("%02x", static_cast<unsigned char>(byte));
    return 0;
}

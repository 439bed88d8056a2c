// The reading of Wine's relay trace, on lines as Wine 8 writes them.
#include "win/relay_trace.h"

#include <gtest/gtest.h>

namespace wine_tests {
namespace {

TEST(RelayTrace, MessageBoxCallsComeBackInOrderWithTheirBytes) {
    const std::string trace =
        "0024:Call PE DLL (proc=0000000216A527D0,module=00000002169D0000 L\"user32.dll\")\n"
        "0024:Call user32.MessageBoxA(00000000,00c93a30 \"Failed to create VM: error code "
        "-1.\\n\",0021fd10 \"Error Launching Brantlo Client\",00000000) ret=140001601\n"
        "0024:Ret  user32.MessageBoxA() retval=ffffffff ret=140001601\n"
        "0024:Call user32.MessageBoxA(00000000,14000c058 \"a \\\"q\\\" \\xe9 \\\\ end\","
        "14000c054 \"\",00000000) ret=140001639\n"
        "0024:Call user32.MessageBoxA(00000000,14000c058 \"cut\"...,14000c054 "
        "\"Error\",00000000)\n";
    const std::vector<MessageBoxCall> expected = {
        {"Failed to create VM: error code -1.\n", "Error Launching Brantlo Client", false},
        {"a \"q\" \xe9 \\ end", "", false},
        {"cut", "Error", true},
    };
    EXPECT_EQ(messageBoxCalls(trace), expected);
}

TEST(RelayTrace, CountsCallsByFunctionAndArgument) {
    const std::string trace =
        "0114:Call msvcrt.remove(14000c029 \"Z:\\\\tmp\\\\held.dat\") ret=1400015e1\n"
        "0114:Call msvcrt.remove(14000c029 \"Z:\\\\tmp\\\\other.dat\") ret=1400015e1\n"
        "0114:Ret  msvcrt.remove() retval=ffffffff ret=1400015e1\n"
        "0114:Call msvcrt.remove(14000c029 \"Z:\\\\tmp\\\\held.dat\") ret=1400015e1\n";
    EXPECT_EQ(relayCallCount(trace, "msvcrt.remove", "held.dat"), 2);
    EXPECT_EQ(relayCallCount(trace, "msvcrt.rename", "held.dat"), 0);
}

TEST(RelayTrace, OutputLinesDropTheCarriageReturnsOfTextMode) {
    EXPECT_EQ(outputLines("one\r\ntwo\n\nlast"),
              (std::vector<std::string>{"one", "two", "", "last"}));
    EXPECT_TRUE(outputLines("").empty());
}

}  // namespace
}  // namespace wine_tests

// Console text: placeholders filled in order, numbers that read back exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "host/core/console.h"

namespace qhost {
namespace {

TEST(ConsoleText, PlaceholdersTakeArgumentsInOrder)
{
  EXPECT_EQ(FormatConsoleText("a=@, b=@, c=@", {OutputArg(Int32(-3)), OutputArg(Float(0.5)), OutputArg("x")}),
            "a=-3, b=0.5, c=x");
}

TEST(ConsoleText, PlaceholdersWithoutArgumentsStayAndExtraArgumentsAreDropped)
{
  EXPECT_EQ(FormatConsoleText("@ and @", {OutputArg(Int32(1))}), "1 and @");
  EXPECT_EQ(FormatConsoleText("none", {OutputArg(Int32(1))}), "none");
  EXPECT_EQ(FormatConsoleText("@", {OutputArg(static_cast<const char*>(nullptr))}), "");
}

TEST(ConsoleText, FloatsAreShortestAndReadBackExactly)
{
  EXPECT_EQ(FormatFloat(0.1), "0.1");
  EXPECT_EQ(FormatFloat(-2.0), "-2");
  for (Float value : {std::numeric_limits<Float>::max(), -std::numeric_limits<Float>::max(),
                      std::numeric_limits<Float>::denorm_min(), 1.0 / 3.0})
    EXPECT_EQ(std::strtod(FormatFloat(value).c_str(), nullptr), value) << FormatFloat(value);
}

TEST(ConsoleLines, KeepsEveryLineInOrderUntilCleared)
{
  Console& console = Console::Instance();
  console.Clear();
  for (const char* text : {"first", "second"})
  {
    ConsoleLine line;
    line.text = text;
    console.Write(line);
  }
  EXPECT_EQ(console.Texts(), (std::vector<String>{"first", "second"}));
  console.Clear();
  EXPECT_TRUE(console.Lines().empty());
}

} // namespace
} // namespace qhost

// Request bodies: only documented members, each of its type; anything else
// is refused with a message naming the member.
#include <gtest/gtest.h>

#include "host/serve/json_request.h"

namespace qhost {
namespace {

std::string Refusal(std::string_view body, const std::function<void(const JsonRequest&)>& read = {})
{
  try
  {
    const JsonRequest request(body, {"node", "id", "value", "final"});
    if (read)
      read(request);
  }
  catch (const RequestError& e)
  {
    return e.what();
  }
  return "";
}

TEST(JsonRequest, ReadsDocumentedMembersOfTheirType)
{
  const JsonRequest request(R"({"node": "generator", "id": 10026, "value": [1, 2.5, 3], "final": false})",
                            {"node", "id", "value", "final"});
  EXPECT_EQ(request.String("node"), "generator");
  EXPECT_EQ(request.Integer("id"), 10026);
  EXPECT_EQ(request.Value("value").size(), 3u);
  EXPECT_FALSE(request.Bool("final", true));
  // A missing optional member gives the fallback.
  const JsonRequest bare(R"({"node": "shader"})", {"node", "final"});
  EXPECT_TRUE(bare.Bool("final", true));
}

TEST(JsonRequest, RefusesWhatIsNotAnObjectOfKnownMembers)
{
  EXPECT_NE(Refusal("not json"), "");
  EXPECT_NE(Refusal(R"([1, 2])"), "");
  EXPECT_NE(Refusal(R"("text")"), "");
  EXPECT_NE(Refusal(R"({"node": "generator")"), ""); // cut short
  EXPECT_NE(Refusal(R"({"node": "generator", "path": "x"})").find("\"path\""), std::string::npos);
}

TEST(JsonRequest, RefusesMembersOfAnotherTypeNamingThem)
{
  EXPECT_NE(Refusal(R"({"id": "10026"})", [](const JsonRequest& r) { (void)r.Integer("id"); }).find("\"id\""),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"id": 1.5})", [](const JsonRequest& r) { (void)r.Integer("id"); }), "");
  EXPECT_NE(Refusal(R"({"id": 18446744073709551615})", [](const JsonRequest& r) { (void)r.Integer("id"); }), "");
  EXPECT_NE(Refusal(R"({"node": 3})", [](const JsonRequest& r) { (void)r.String("node"); }).find("\"node\""),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"final": 1})", [](const JsonRequest& r) { (void)r.Bool("final", true); }), "");
  EXPECT_NE(Refusal(R"({})", [](const JsonRequest& r) { (void)r.Value("value"); }).find("\"value\""),
            std::string::npos);
  EXPECT_EQ(Refusal(R"({"id": -4})", [](const JsonRequest& r) { EXPECT_EQ(r.Integer("id"), -4); }), "");
}

} // namespace
} // namespace qhost

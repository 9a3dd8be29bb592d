// Depth-checked parsing of outside JSON: the limit counts arrays and objects only, strings hide their
// brackets, and a refusal says why.
#include "Keel/Core/BoundedJson.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string Nested(int levels, const char* open = "[", const char* close = "]") {
  std::string text;
  for (int i = 0; i < levels; ++i)
    text += open;
  text += "0";
  for (int i = 0; i < levels; ++i)
    text += close;
  return text;
}

TEST(BoundedJson, TheDepthLimitCountsArraysAndObjectsOutsideStrings) {
  struct Case {
    std::string text;
    bool within;
  };
  const Case cases[] = {
      {Nested(64), true},
      {Nested(65), false},
      {Nested(64, R"({"a":)", "}"), true},
      {Nested(65, R"({"a":)", "}"), false},
      {"[" + std::string(200, '[') + "]", false}, // unbalanced text counts as it stands
      {R"(["[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["])", true},
      {R"(["\"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["])", true},
      {R"(["\\")" + Nested(64), false},           // an escaped backslash ends the string at the next quote
      {std::string(100, ']') + Nested(64), true}, // closers never make room below zero
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.within, keel::JsonDepthWithin(c.text)) << c.text.substr(0, 80);
}

TEST(BoundedJson, ARefusalSaysWhetherTheTextWasTooDeepOrNotJson) {
  const char* reason = nullptr;
  EXPECT_EQ(nlohmann::json::parse(Nested(64)), keel::ParseJsonBounded(Nested(64), &reason));
  EXPECT_EQ(nullptr, reason);

  EXPECT_TRUE(keel::ParseJsonBounded(Nested(200000, R"({"a":)", "}"), &reason).is_discarded());
  EXPECT_STREQ(keel::kJsonTooDeep, reason);

  for (const char* text : {"", "{", "[1,]", R"({"a":1} x)", "/*c*/{}", "\xff"}) {
    reason = nullptr;
    EXPECT_TRUE(keel::ParseJsonBounded(text, &reason).is_discarded()) << text;
    EXPECT_STREQ(keel::kJsonParseFailed, reason) << text;
  }

  std::istringstream stream(R"({"k":[1,2]})");
  EXPECT_EQ(nlohmann::json::parse(R"({"k":[1,2]})"), keel::ParseJsonBounded(stream));
  std::istringstream deep(Nested(100));
  EXPECT_TRUE(keel::ParseJsonBounded(deep).is_discarded());
}

} // namespace

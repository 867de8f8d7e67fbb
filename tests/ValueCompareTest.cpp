// ValueCompareTest.cpp - values compared by what they say.
#include "logic/compare/ValueCompare.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"

namespace {

constexpr TextEncoding kSjis = TextEncoding::Cp932;
constexpr TextEncoding kUtf8 = TextEncoding::Utf8;

TEST(ValueCompare, ComparesNumbersByValueHandlesAsHexAndTextsByCharacters) {
  const std::string wallSjis = Sjis("壁");
  const struct {
    int code;
    SideValue here, there;
    bool same, sameExact;
  } cases[] = {
      {10, {"0.0", kSjis}, {"0.000000", kSjis}, true, false},
      {40, {"1e3", kSjis}, {" 1000.0", kSjis}, true, false},
      {40, {"+2.5", kSjis}, {"2.50", kSjis}, true, false},
      {40, {"2.5", kSjis}, {"2.5000001", kSjis}, false, false},
      {40, {"x", kSjis}, {" x", kSjis}, true, false},  // no number: trimmed texts
      {70, {"     6", kSjis}, {"6", kSjis}, true, false},
      {290, {"     1", kSjis}, {"1", kSjis}, true, false},  // a boolean
      {210, {"0.0", kSjis}, {"0", kSjis}, true, false},     // an extrusion direction
      {62, {"1", kSjis}, {"3", kSjis}, false, false},
      {90, {"4294967295", kSjis}, {"4294967295", kSjis}, true, true},
      {5, {"1F", kSjis}, {"001f", kSjis}, true, false},
      {330, {"1F", kSjis}, {"20", kSjis}, false, false},
      {1005, {"A", kSjis}, {"0a", kSjis}, true, false},
      {8, {"0", kSjis}, {"0 ", kSjis}, false, false},  // texts keep their blanks
      {8, {wallSjis, kSjis}, {"壁", kUtf8}, true, true},
      {8, {"\\U+58C1", kSjis}, {wallSjis, kSjis}, true, true},
      {8, {wallSjis, kSjis}, {wallSjis, kUtf8}, false, false},
      {1, {"abc", kSjis}, {"ABC", kUtf8}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameValue(c.code, c.here, c.there, /*exactNumbers=*/false), c.same)
        << c.code << " '" << c.here.bytes << "' '" << c.there.bytes << "'";
    EXPECT_EQ(SameValue(c.code, c.here, c.there, /*exactNumbers=*/true), c.sameExact)
        << c.code << " '" << c.here.bytes << "' '" << c.there.bytes << "' exact";
  }
}

}  // namespace

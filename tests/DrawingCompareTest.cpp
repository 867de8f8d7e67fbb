// DrawingCompareTest.cpp - what differs between two drawings, record by record.
#include "logic/compare/DrawingCompare.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

#include "model/buffer/HandleIndex.h"
#include "model/buffer/RecordWalk.h"
#include "tests/support/TestDrawings.h"

namespace {

// A drawing with handles: two header variables, two layers, three entities. Its records
// start at lines 3 ($ACADVER), 9 ($LTSCALE), 19 (TABLE), 25 and 33 (LAYER), 49 (LINE),
// 59 (CIRCLE) and 69 (TEXT).
constexpr std::string_view kDrawing =
    "0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$LTSCALE|40|1.0|0|ENDSEC|"
    "0|SECTION|2|TABLES|0|TABLE|2|LAYER|5|2|0|LAYER|5|10|2|0|62|7|0|LAYER|5|11|2|壁|62|1|"
    "0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|5|20|8|0|62|1|10|0.0|"
    "0|CIRCLE|5|21|8|壁|10|5.0|40|2.0|0|TEXT|5|22|8|0|1|abc|330|21|0|ENDSEC|0|EOF";

// A drawing without handles (R12): layers 0 and A at lines 9 and 15; three entities on
// layer 0 and one on layer A, at lines 29, 35, 41 (CIRCLE) and 47.
constexpr std::string_view kR12Drawing =
    "0|SECTION|2|TABLES|0|TABLE|2|LAYER|0|LAYER|2|0|62|7|0|LAYER|2|A|62|1|0|ENDTAB|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|8|0|10|1.0|0|LINE|8|0|10|2.0|0|CIRCLE|8|A|40|1.0|"
    "0|LINE|8|0|10|3.0|0|ENDSEC|0|EOF";

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
  std::string result(text);
  const std::size_t at = result.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) result.replace(at, from.size(), to);
  return result;
}

std::string ValueText(const TDXFBuffer& b, int pair) {
  return pair < 0 ? "~" : DecodeText(b.Encoding, b.ValueView(pair));
}

// A change as "KIND KEY TYPE LINE OTHER_LINE CODE:HERE>THERE ...", "-" for a line or key
// that is none, "~" for a value that is none.
std::string Describe(const TDXFBuffer& here, const TDXFBuffer& there, const DrawingDifference& d,
                     const RecordChange& c) {
  static const char* const kKinds[] = {"changed", "removed", "added"};
  const TDXFBuffer& holder = c.here >= 0 ? here : there;
  std::string key = "-";
  if (c.key == RecordKey::Handle) key = HandleText(c.handle);
  if (c.key == RecordKey::Name && c.namePair >= 0) key = ValueText(holder, c.namePair);
  const auto line = [](int pair) {
    return pair < 0 ? std::string("-") : std::to_string(LineOfPair(pair));
  };
  std::string text = std::string(kKinds[static_cast<int>(c.kind)]) + " " + key + " " +
                     std::string(RecordTypeOf(holder, c.here >= 0 ? c.here : c.there)) + " " +
                     line(c.here) + " " + line(c.there);
  for (const PairChange& p : d.PairsOf(c)) {
    const int code = p.here >= 0 ? here.GetCode(p.here) : there.GetCode(p.there);
    text += " " + std::to_string(code) + ":" + ValueText(here, p.here) + ">" +
            ValueText(there, p.there);
  }
  return text;
}

std::vector<std::string> Compare(const TDXFBuffer& here, const TDXFBuffer& there,
                                 const CompareOptions& options = {}) {
  const DrawingDifference d = CompareDrawings(here, there, options);
  std::vector<std::string> described;
  for (const RecordChange& c : d.records) described.push_back(Describe(here, there, d, c));
  return described;
}

using Lines = std::vector<std::string>;

TEST(DrawingCompare, ReportsEachKindOfChangeMatchedByHandleOrName) {
  const struct {
    const char* what;
    std::string there;
    Lines expected;
  } cases[] = {
      {"the same drawing", std::string(kDrawing), {}},
      {"a changed colour",
       Replaced(kDrawing, "62|1|10|0.0", "62|3|10|0.0"),
       {"changed 20 LINE 49 49 62:1>3"}},
      {"a removed and an added entity",
       Replaced(Replaced(kDrawing, "0|CIRCLE|5|21|8|壁|10|5.0|40|2.0|", ""), "0|ENDSEC|0|EOF",
                "0|ARC|5|23|8|0|0|ENDSEC|0|EOF"),
       {"removed 21 CIRCLE 59 -", "added 23 ARC - 69"}},
      {"a moved record is no difference",
       Replaced(Replaced(kDrawing, "0|TEXT|5|22|8|0|1|abc|330|21|", ""), "0|LINE|5|20",
                "0|TEXT|5|22|8|0|1|abc|330|21|0|LINE|5|20"),
       {}},
      {"a reformatted number is no difference",
       Replaced(Replaced(kDrawing, "10|0.0", "10|0.000000"), "40|2.0", "40|2"),
       {}},
      {"a changed header value",
       Replaced(kDrawing, "40|1.0", "40|2.5"),
       {"changed $LTSCALE $LTSCALE 9 9 40:1.0>2.5"}},
      {"a changed layer of an entity",
       Replaced(kDrawing, "8|壁|10|5.0", "8|0|10|5.0"),
       {"changed 21 CIRCLE 59 59 8:壁>0"}},
      {"a changed layer",
       Replaced(kDrawing, "2|壁|62|1", "2|壁|62|5"),
       {"changed 11 LAYER 33 33 62:1>5"}},
      {"a pair inserted into a record",
       Replaced(kDrawing, "8|0|62|1|", "8|0|6|DASHED|62|1|"),
       {"changed 20 LINE 49 49 6:~>DASHED"}},
      {"a record's fields in another order",
       Replaced(kDrawing, "8|0|62|1|10|0.0", "62|1|8|0|10|0.0"),
       {}},
      {"a record's fields in another order, one changed",
       Replaced(kDrawing, "8|0|62|1|10|0.0", "10|0.0|62|4|8|0"),
       {"changed 20 LINE 49 49 62:1>4"}},
      {"a record changed and moved",
       Replaced(Replaced(kDrawing, "0|LINE|5|20|8|0|62|1|10|0.0|", ""), "0|ENDSEC|0|EOF",
                "0|LINE|5|20|8|0|62|2|10|0.0|0|ENDSEC|0|EOF"),
       {"changed 20 LINE 49 69 62:1>2"}},
  };
  const TDXFBuffer here = LoadDrawing(kDrawing);
  for (const auto& c : cases) EXPECT_EQ(Compare(here, LoadDrawing(c.there)), c.expected) << c.what;
}

TEST(DrawingCompare, AlignsRecordsWithoutHandlesByNameAndOrder) {
  const struct {
    const char* what;
    std::string there;
    Lines expected;
  } cases[] = {
      {"the same drawing", std::string(kR12Drawing), {}},
      {"one entity inserted in the middle, a later one changed",
       Replaced(Replaced(kR12Drawing, "0|CIRCLE|", "0|POINT|8|0|10|9.0|0|CIRCLE|"), "10|3.0",
                "10|3.5"),
       {"added - POINT - 41", "changed - LINE 47 53 10:3.0>3.5"}},
      {"one entity deleted",
       Replaced(kR12Drawing, "0|LINE|8|0|10|2.0|", ""),
       {"removed - LINE 35 -"}},
      {"layers reordered, one changed",
       Replaced(Replaced(kR12Drawing, "0|LAYER|2|0|62|7|", ""), "0|ENDTAB",
                "0|LAYER|2|0|62|3|0|ENDTAB"),
       {"changed 0 LAYER 9 15 62:7>3"}},
  };
  const TDXFBuffer here = LoadDrawing(kR12Drawing);
  for (const auto& c : cases) EXPECT_EQ(Compare(here, LoadDrawing(c.there)), c.expected) << c.what;
}

TEST(DrawingCompare, ComparesTextsInEachDrawingsEncoding) {
  const TDXFBuffer sjis = LoadDrawing(kDrawing);
  const TDXFBuffer utf8 = LoadUtf8Drawing(kDrawing);
  ASSERT_EQ(sjis.Encoding, TextEncoding::Cp932);
  ASSERT_EQ(utf8.Encoding, TextEncoding::Utf8);
  EXPECT_EQ(Compare(sjis, utf8), Lines{});
  EXPECT_EQ(Compare(sjis, LoadUtf8Drawing(Replaced(kDrawing, "2|壁", "2|扉"))),
            Lines{"changed 11 LAYER 33 33 2:壁>扉"});
}

TEST(DrawingCompare, HonoursTheOptions) {
  const std::string reformatted = Replaced(kDrawing, "10|0.0", "10|0.000000");
  const std::string renumbered =
      Replaced(Replaced(kDrawing, "0|CIRCLE|5|21", "0|CIRCLE|5|2A"), "330|21", "330|2a");
  const struct {
    const char* what;
    std::string there;
    CompareOptions options;
    Lines expected;
  } cases[] = {
      {"numbers by their text",
       reformatted,
       {.exactNumbers = true},
       {"changed 20 LINE 49 49 10:0.0>0.000000"}},
      {"a renumbered record",
       renumbered,
       {},
       {"removed 21 CIRCLE 59 -", "added 2A CIRCLE - 59", "changed 22 TEXT 69 69 330:21>2a"}},
      {"a renumbered record, new handles ignored", renumbered, {.ignoreNewHandles = true}, {}},
      {"a renumbered and changed record, new handles ignored",
       Replaced(renumbered, "40|2.0", "40|3.0"),
       {.ignoreNewHandles = true},
       {"changed 21 CIRCLE 59 59 40:2.0>3.0"}},
  };
  const TDXFBuffer here = LoadDrawing(kDrawing);
  for (const auto& c : cases)
    EXPECT_EQ(Compare(here, LoadDrawing(c.there), c.options), c.expected) << c.what;
}

// A drawing whose writer dropped the handles still matches a copy that has them.
TEST(DrawingCompare, MatchesRecordsOfADrawingWithoutHandlesByNameAndOrder) {
  const TDXFBuffer here = LoadDrawing(kDrawing);
  std::string bare(kDrawing);
  for (const char* handle : {"5|2|", "5|10|", "5|11|", "5|20|", "5|21|", "5|22|"})
    bare = Replaced(bare, handle, "");
  EXPECT_EQ(Compare(here, LoadDrawing(Replaced(bare, "62|1|10|0.0", "62|4|10|0.0"))),
            (Lines{"changed 2 TABLE 19 19 5:2>~", "changed 10 LAYER 25 23 5:10>~",
                   "changed 11 LAYER 33 29 5:11>~", "changed 20 LINE 49 43 5:20>~ 62:1>4",
                   "changed 21 CIRCLE 59 51 5:21>~", "changed 22 TEXT 69 59 5:22>~"}));
}

}  // namespace

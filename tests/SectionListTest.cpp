// SectionListTest.cpp - section list entries, click targets and the entry under the cursor.
#include "logic/SectionList.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace {

TDXFBuffer Load(const std::string& path) {
  TDXFBuffer buffer;
  EXPECT_EQ(buffer.LoadFromFile(path), 0) << path;
  return buffer;
}

const std::vector<std::string> kSampleEntries = {
    "+-HEADER",     "| +-HANDSEED", "| +-CLAYER", "+-CLASSES",  "+-TABLES",  "| +-VPORT",
    "| +-LTYPE",    "| +-LAYER",    "| +-STYLE",  "| +-VIEW",   "| +-UCS",   "| +-APPID",
    "| +-DIMSTYLE", "| +-BLOCKREC", "+-BLOCKS",   "+-ENTITIES", "+-OBJECTS", "+-EOF"};

}  // namespace

TEST(SectionList, SampleListsEverySectionAndTable) {
  const TDXFBuffer sample = Load(SourcePath("examples/sample.dxf"));
  EXPECT_EQ(SectionEntries(sample), kSampleEntries);
}

TEST(SectionList, AbsentSectionsAreLeftOutButHeaderStays) {
  TempDir dir;
  // No HEADER, CLASSES, TABLES, BLOCKS or OBJECTS: only ENTITIES (after a comment, since
  // a section at pair 0 cannot be told from an absent one) and EOF.
  const TDXFBuffer small =
      Load(dir.Write("e.dxf", DxfText({"999", "test", "0", "SECTION", "2", "ENTITIES", "0", "LINE",
                                       "8", "0", "0", "ENDSEC", "0", "EOF"})));
  EXPECT_EQ(SectionEntries(small), (std::vector<std::string>{"+-HEADER", "+-ENTITIES", "+-EOF"}));
  EXPECT_EQ(SectionTarget(small, "HEADER"), 0);
  EXPECT_EQ(SectionEntries(TDXFBuffer()), std::vector<std::string>{"+-HEADER"});
}

TEST(SectionList, ClickTargets) {
  const TDXFBuffer sample = Load(SourcePath("examples/sample.dxf"));
  const struct {
    const char* entry;
    int target;
  } cases[] = {
      {"+-HEADER", 0},     {"| +-HANDSEED", 44}, {"| +-CLAYER", 26},
      {"+-CLASSES", 51},   {"| +-LAYER", 151},   {"| +-BLOCKREC", 287},
      {"+-ENTITIES", 436}, {"+-EOF", 655},       {"+-SOMETHING", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SectionTarget(sample, SectionEntryName(c.entry)), c.target) << c.entry;
  // The CLAYER target is the code-9 pair that names the variable.
  EXPECT_EQ(sample.GetCode(26), 9);
  EXPECT_EQ(sample.GetValue(26), "$CLAYER");
}

TEST(SectionList, NameAtFollowsTheInnermostSectionOrTable) {
  const TDXFBuffer sample = Load(SourcePath("examples/sample.dxf"));
  const struct {
    int pair;
    const char* name;
  } cases[] = {
      {0, "HEADER"},     {50, "HEADER"},   {51, "CLASSES"},   {69, "TABLES"},
      {70, "VPORT"},     {160, "LAYER"},   {318, "BLOCKREC"}, {319, "BLOCKS"},
      {500, "ENTITIES"}, {620, "OBJECTS"}, {655, "EOF"},      {700, "EOF"},
  };
  for (const auto& c : cases) EXPECT_EQ(SectionNameAt(sample, c.pair), c.name) << c.pair;
}

TEST(SectionList, EntryRowPrefersSectionsThenTablesThenTheFirstEntry) {
  EXPECT_EQ(SectionEntryRow(kSampleEntries, "ENTITIES"), 15);
  EXPECT_EQ(SectionEntryRow(kSampleEntries, "LAYER"), 7);
  EXPECT_EQ(SectionEntryRow(kSampleEntries, "NOWHERE"), 0);
  EXPECT_EQ(SectionEntryRow({"+-HEADER", "+-EOF"}, "CLASSES"), 0);
}

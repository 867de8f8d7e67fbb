// SectionListTest.cpp - section list entries, click targets and the entry under the cursor.
#include "logic/navigation/SectionList.h"

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

TEST(SectionList, ListsOnlyTheSectionsTheFileHolds) {
  TempDir dir;
  const std::vector<std::string> entities = {"0",    "SECTION", "2", "ENTITIES", "0",
                                             "LINE", "8",       "0", "0",        "ENDSEC"};
  std::vector<std::string> withEof = entities;
  withEof.insert(withEof.end(), {"0", "EOF"});
  std::vector<std::string> afterComment = {"999", "test"};
  afterComment.insert(afterComment.end(), withEof.begin(), withEof.end());
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> entries;
  } cases[] = {
      {"entities at pair 0", withEof, {"+-ENTITIES", "+-EOF"}},
      {"after a comment", afterComment, {"+-ENTITIES", "+-EOF"}},
      {"no EOF pair", entities, {"+-ENTITIES"}},
  };
  for (const auto& c : cases) {
    const TDXFBuffer buffer = Load(dir.Write("e.dxf", DxfText(c.lines)));
    EXPECT_EQ(SectionEntries(buffer), c.entries) << c.name;
    EXPECT_EQ(SectionNameAt(buffer, 1), "ENTITIES") << c.name;  // no absent section claims it
  }
  EXPECT_TRUE(SectionEntries(TDXFBuffer()).empty());
}

TEST(SectionList, CorpusFilesWithoutAHeaderOrAnEofPair) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the DXF corpus is not there";
  const struct {
    const char* file;
    std::vector<std::string> entries;
  } cases[] = {
      {"gdal-entities_only.dxf", {"+-ENTITIES", "+-EOF"}},
      {"ezdxf-Minimal_DXF_AC1009-entities-only.dxf", {"+-ENTITIES", "+-EOF"}},
      {"gdal-elliptical-arc-hatch-min-no-eof.dxf", {"+-ENTITIES"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SectionEntries(Load(CorpusDir() + "/" + c.file)), c.entries) << c.file;
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

// UnusedDefinitionsTest.cpp - which definitions nothing uses, and what stays with a kept one.
#include "logic/purge/UnusedDefinitions.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

#include "tests/support/TestDrawings.h"

namespace {

using Names = std::vector<std::string>;

// A drawing of the sections given, each a run of "code|value|" pairs.
std::string Drawing(const std::string& header, const std::string& tables, const std::string& blocks,
                    const std::string& entities, const std::string& objects = "") {
  const auto section = [](const char* name, const std::string& body) {
    return "0|SECTION|2|" + std::string(name) + "|" + body + "0|ENDSEC|";
  };
  return section("HEADER", header) + section("TABLES", tables) + section("BLOCKS", blocks) +
         section("ENTITIES", entities) + section("OBJECTS", objects) + "0|EOF";
}

std::string Table(const std::string& name, const std::string& entries) {
  return "0|TABLE|2|" + name + "|70|9|" + entries + "0|ENDTAB|";
}

std::string Block(const std::string& name, const std::string& entities = "") {
  return "0|BLOCK|2|" + name + "|8|0|" + entities + "0|ENDBLK|8|0|";
}

// "TABLE NAME" of each entry, in the list's order.
Names Listed(const std::string& drawing) {
  const TDXFBuffer b = LoadUtf8Drawing(drawing);
  HandleIndex index;
  index.Build(b);
  const PurgeList list = FindUnusedDefinitions(b, index);
  Names names;
  for (const UnusedDefinition& entry : list.Entries())
    names.push_back(std::string(PurgeTableName(entry.table)) + " " + entry.name);
  return names;
}

const std::string kEveryKind =
    Table("LTYPE", "0|LTYPE|2|ByLayer|0|LTYPE|2|ByBlock|0|LTYPE|2|Continuous|0|LTYPE|2|DASHED|") +
    Table("LAYER", "0|LAYER|2|0|0|LAYER|2|Defpoints|0|LAYER|2|FURN|") +
    Table("STYLE", "0|STYLE|2|Standard|0|STYLE|2|ROMANS|") +
    Table("APPID", "0|APPID|2|ACAD|0|APPID|2|MYAPP|") +
    Table("DIMSTYLE", "0|DIMSTYLE|2|Standard|0|DIMSTYLE|2|ISO|");
const std::string kSpaces = Block("*Model_Space") + Block("*Paper_Space") + Block("*Paper_Space0");

TEST(UnusedDefinitions, FindsWhatNothingUsesAndNeverTheDefinitionsThatMustStay) {
  const std::string allUsed =
      "0|LINE|8|FURN|6|DASHED|1001|MYAPP|0|TEXT|8|0|7|ROMANS|"
      "0|INSERT|8|0|2|DOOR|0|DIMENSION|8|0|2|*D1|3|ISO|";
  const struct {
    const char* what;
    std::string drawing;
    Names expected;
  } cases[] = {
      {"one of each kind",
       Drawing("", kEveryKind, kSpaces + Block("DOOR"), ""),
       {"LAYER FURN", "LTYPE DASHED", "STYLE ROMANS", "DIMSTYLE ISO", "BLOCK DOOR", "APPID MYAPP"}},
      {"used by entities",
       Drawing("", kEveryKind, kSpaces + Block("DOOR") + Block("*D1"), allUsed),
       {}},
      {"a name in other letters' case",
       Drawing("", kEveryKind, kSpaces + Block("Door"), "0|INSERT|8|furn|2|DOOR|"),
       {"LTYPE DASHED", "STYLE ROMANS", "DIMSTYLE ISO", "APPID MYAPP"}},
      {"the header's current settings",
       Drawing("9|$CLAYER|8|FURN|9|$CELTYPE|6|DASHED|9|$TEXTSTYLE|7|ROMANS|9|$DIMSTYLE|2|ISO|"
               "9|$DIMBLK|1|DOOR|",
               kEveryKind, kSpaces + Block("DOOR"), ""),
       {"APPID MYAPP"}},
      {"names in table entries and extended data",
       Drawing("", kEveryKind + Table("VPORT", "0|VPORT|2|*ACTIVE|1001|MYAPP|1003|FURN|"),
               kSpaces + Block("DOOR"), "0|DIMENSION|8|0|3|ISO|7|ROMANS|"),
       {"LTYPE DASHED", "BLOCK DOOR"}},
      {"nested blocks go with what only they use",
       Drawing("", kEveryKind,
               kSpaces + Block("OUTER", "0|INSERT|8|FURN|2|INNER|") +
                   Block("INNER", "0|LINE|8|0|6|DASHED|0|TEXT|8|0|7|ROMANS|"),
               "0|LINE|8|0|1001|MYAPP|0|DIMENSION|8|0|3|ISO|"),
       {"LAYER FURN", "LTYPE DASHED", "STYLE ROMANS", "BLOCK OUTER", "BLOCK INNER"}},
      {"a block and a layer used only inside a kept block stay",
       Drawing("", kEveryKind, kSpaces + Block("KEPT", "0|INSERT|8|FURN|2|PART|") + Block("PART"),
               "0|INSERT|8|0|2|KEPT|"),
       {"LTYPE DASHED", "STYLE ROMANS", "DIMSTYLE ISO", "APPID MYAPP"}},
      {"blocks that only insert each other go",
       Drawing("", "", Block("A", "0|INSERT|8|0|2|B|") + Block("B", "0|INSERT|8|0|2|A|"), ""),
       {"BLOCK A", "BLOCK B"}},
      {"an anonymous block a dimension names stays, even in a block that goes",
       Drawing("", "", Block("OUTER", "0|DIMENSION|8|0|2|*D1|") + Block("*D1") + Block("*U2"), ""),
       {"BLOCK OUTER", "BLOCK *U2"}},
      {"external references and shape files stay",
       Drawing("",
               Table("LAYER", "0|LAYER|2|XWALL|70|16|") +
                   Table("STYLE", "0|STYLE|2||70|1|3|ltypeshp.shx|"),
               Block("DOOR") + "0|BLOCK|2|XREF|70|4|0|ENDBLK|", ""),
       {"BLOCK DOOR"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Listed(c.drawing), c.expected) << c.what;
}

// Handles: 1A a layer, 1B a linetype, 1C a text style, 1D a block record, 2A an object.
TEST(UnusedDefinitions, APointerFromAPlaceThatStaysKeepsWhatItNames) {
  const std::string tables = Table("LTYPE", "0|LTYPE|5|1B|2|DASHED|") +
                             Table("LAYER", "0|LAYER|5|1A|2|FROZEN|") +
                             Table("STYLE", "0|STYLE|5|1C|2|DIMTEXT|") +
                             Table("BLOCK_RECORD", "0|BLOCK_RECORD|5|1D|2|DOOR|") +
                             "0|TABLE|2|DIMSTYLE|5|9|100|AcDbDimStyleTable|71|1|340|1E|"
                             "0|DIMSTYLE|105|1E|2|Standard|340|1C|0|ENDTAB|";
  const std::string blocks = "0|BLOCK|5|20|2|DOOR|8|0|0|LINE|5|21|8|0|0|ENDBLK|5|22|8|0|";
  const struct {
    const char* what;
    std::string entities, objects;
    Names expected;
  } cases[] = {
      {"none", "", "", {"LAYER FROZEN", "LTYPE DASHED", "BLOCK DOOR"}},
      {"a viewport's frozen layers", "0|VIEWPORT|5|30|331|1A|", "", {"LTYPE DASHED", "BLOCK DOOR"}},
      {"a group's member inside a block",
       "",
       "0|GROUP|5|31|340|21|",
       {"LAYER FROZEN", "LTYPE DASHED"}},
      {"a dictionary entry", "", "0|DICTIONARY|5|32|3|KEY|350|1B|", {"LAYER FROZEN", "BLOCK DOOR"}},
      {"extended data's handle",
       "0|LINE|5|33|1001|ACAD|1005|1D|",
       "",
       {"LAYER FROZEN", "LTYPE DASHED"}},
      {"an object the layer owns, which goes with it",
       "",
       "0|DICTIONARY|5|2A|102|{ACAD_REACTORS|330|32|102|}|330|1A|0|XRECORD|5|2B|330|2A|1|X|",
       {"LAYER FROZEN", "LTYPE DASHED", "BLOCK DOOR"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Listed(Drawing("", tables, blocks, c.entities, c.objects)), c.expected) << c.what;
}

TEST(UnusedDefinitions, WhatAKeptEntryUsesStaysAndAnEntryGoesWhole) {
  const std::string drawing =
      Drawing("",
              Table("LAYER", "0|LAYER|5|1A|2|FURN|") +
                  Table("BLOCK_RECORD", "0|BLOCK_RECORD|5|1D|2|OUTER|"),
              Block("OUTER", "0|INSERT|8|0|2|INNER|") + Block("INNER", "0|LINE|8|FURN|"), "",
              "0|DICTIONARY|5|2A|330|1A|0|XRECORD|5|2B|330|2A|");
  const TDXFBuffer b = LoadUtf8Drawing(drawing);
  HandleIndex index;
  index.Build(b);
  const PurgeList list = FindUnusedDefinitions(b, index);
  ASSERT_EQ(list.Entries().size(), 3u);  // FURN, OUTER, INNER
  const struct {
    std::vector<bool> kept, removable;
  } cases[] = {
      {{false, false, false}, {true, true, true}},
      {{false, true, false}, {false, false, false}},
      {{false, false, true}, {false, true, false}},
      {{true, false, false}, {false, true, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(list.Removable(c.kept), c.removable);
  const UnusedDefinition& layer = list.Entries()[0];
  ASSERT_EQ(layer.stretches.size(), 3u) << "the entry and the two objects it owns";
  EXPECT_EQ(b.GetValue(layer.stretches[1].first), "DICTIONARY");
  EXPECT_EQ(b.GetValue(layer.stretches[2].first), "XRECORD");
  EXPECT_EQ(layer.stretches[2].count, 3);
  const UnusedDefinition& outer = list.Entries()[1];
  ASSERT_EQ(outer.stretches.size(), 2u) << "the BLOCK_RECORD entry and the BLOCK ... ENDBLK";
  EXPECT_EQ(b.GetValue(outer.stretches[0].first), "BLOCK_RECORD");
  EXPECT_EQ(outer.stretches[0].count, 3);
  EXPECT_EQ(outer.stretches[1].count, 8);
  EXPECT_EQ(outer.tableHead, b.BlockRecordTableIndex);
}

}  // namespace

// NoteListsTest.cpp - structure and content checks of the built-in note lists.
//
// The remark engine trusts the lists blindly: a count that is one row off shifts every
// sibling after it, and a mistyped key or text only shows as a wrong remark somewhere in
// a file. These tests walk every body the way the engine does, compare the record and
// variable names with the expected ones, spot-check the rows whose texts are fixed, and make
// sure every row converts to CP932 and back to exactly what the source says.
#include "model/remarks/NoteLists.h"

#include <gtest/gtest.h>  // TEST, EXPECT_*, ASSERT_*

#include <algorithm>  // std::find_if
#include <cstddef>    // std::size_t
#include <iterator>   // std::begin, std::end, std::size
#include <map>        // std::map
#include <set>        // std::set
#include <span>       // std::span
#include <string>     // std::string, std::to_string
#include <utility>    // std::pair
#include <vector>     // std::vector

#include "model/remarks/NoteListsSource.h"  // NoteListSource, NoteSourceRow
#include "model/text/Sjis.h"                // Sjis, Utf8

namespace {

// An expected (key, text) row, in UTF-8.
struct Row {
  const char* key;
  const char* text;
};

bool IsCounted(RowKind kind) {
  return kind == RowKind::Code || kind == RowKind::Mode || kind == RowKind::Bit ||
         kind == RowKind::Count || kind == RowKind::CodeTemp;
}

// The next sibling of row r, as the engine's sibling walk finds it. A directive with an
// empty text stops the walk on itself; callers treat that as no progress.
int Skip(const NoteList& list, int r) {
  ++r;
  if (r > list.H) return r;
  const NoteRow& row = list.rows[r];
  if (!row.IsDirective() || row.text.empty()) return r;
  if (row.kind == RowKind::RefKey || row.kind == RowKind::Time) return r + 1;
  return r + row.count + 1;
}

// Walks the body of the directive at row q from q+1 and returns the row where the walk
// leaves it; `entries` receives the rows it stood on.
int WalkBody(const NoteList& list, int q, std::vector<int>* entries = nullptr) {
  const int last = q + list.rows[q].count;
  int r = q + 1;
  while (r <= last) {
    if (entries) entries->push_back(r);
    const int next = Skip(list, r);
    if (next <= r) return r;  // stuck on an empty directive
    r = next;
  }
  return r;
}

std::vector<int> Entries(const NoteList& list, int q) {
  std::vector<int> rows;
  WalkBody(list, q, &rows);
  return rows;
}

std::string KeyOf(const NoteList& list, int r) {
  return Utf8(list.rows[r].key);
}
std::string TextOf(const NoteList& list, int r) {
  return Utf8(list.rows[r].text);
}

// The entries of the body at row q as (key, text) pairs, without the padding rows
// (empty key and text) that close the record-name bodies of some lists.
std::vector<std::pair<std::string, std::string>> NamedEntries(const NoteList& list, int q) {
  std::vector<std::pair<std::string, std::string>> named;
  for (int r : Entries(list, q))
    if (!list.rows[r].key.empty() || !list.rows[r].text.empty())
      named.emplace_back(KeyOf(list, r), TextOf(list, r));
  return named;
}

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<Row>& rows) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const Row& row : rows) pairs.emplace_back(row.key, row.text);
  return pairs;
}

// The row of the entry with the given key in the body at row q; -1 when there is none.
int FindEntry(const NoteList& list, int q, const std::string& key) {
  for (int r : Entries(list, q))
    if (KeyOf(list, r) == key) return r;
  return -1;
}

// Expects the rows from `first` on to be exactly `expected`.
void ExpectRowsAt(const NoteList& list, int first, const std::vector<Row>& expected) {
  ASSERT_GE(first, 0) << list.name;
  ASSERT_LE(first + static_cast<int>(expected.size()), list.H + 1) << list.name;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const int r = first + static_cast<int>(i);
    EXPECT_EQ(KeyOf(list, r), expected[i].key) << list.name << " row " << r;
    EXPECT_EQ(TextOf(list, r), expected[i].text) << list.name << " row " << r;
  }
}

// The five lists that serve a section; each opens with "+code" over the whole list.
std::vector<const NoteList*> SectionLists() {
  return {&ClassesNoteList(), &HeaderNoteList(), &TablesNoteList(), &EntitiesNoteList(),
          &ObjectsNoteList()};
}

}  // namespace

TEST(NoteLists, SizesNamesAndOrder) {
  struct Expected {
    const char* name;
    int H;
  };
  const Expected expected[] = {{"code", 52},    {"reference", 35}, {"classes", 20}, {"header", 310},
                               {"tables", 358}, {"entities", 685}, {"objects", 255}};
  const std::vector<const NoteList*> lists = AllNoteLists();
  ASSERT_EQ(lists.size(), std::size(expected));
  for (std::size_t i = 0; i < lists.size(); ++i) {
    EXPECT_STREQ(lists[i]->name, expected[i].name);
    EXPECT_EQ(lists[i]->H, expected[i].H) << expected[i].name;
    EXPECT_EQ(lists[i]->rows.size(), static_cast<std::size_t>(expected[i].H + 1))
        << expected[i].name;
  }
  EXPECT_EQ(lists[0], &CodeNoteList());
  EXPECT_EQ(lists[6], &ObjectsNoteList());
}

TEST(NoteLists, SectionListsOpenWithACodeOverTheWholeList) {
  for (const NoteList* list : SectionLists()) {
    EXPECT_EQ(list->rows[0].kind, RowKind::Code) << list->name;
    EXPECT_EQ(list->rows[0].count, list->H) << list->name;
    EXPECT_EQ(KeyOf(*list, 1), "0") << list->name;
    EXPECT_EQ(TextOf(*list, 1), "") << list->name;
    EXPECT_EQ(list->rows[2].kind, RowKind::Mode) << list->name;
  }
  const NoteList& header = HeaderNoteList();
  EXPECT_EQ(Entries(header, 0), (std::vector<int>{1, 9, 308, 309, 310}));
  EXPECT_EQ(header.rows[2].count, 6);
  EXPECT_EQ(KeyOf(header, 9), "9");
  EXPECT_EQ(header.rows[10].kind, RowKind::Mode);
  EXPECT_EQ(header.rows[10].count, 297);
  EXPECT_EQ(TablesNoteList().rows[2].count, 356);
  EXPECT_EQ(EntitiesNoteList().rows[2].count, 683);
  EXPECT_EQ(ObjectsNoteList().rows[2].count, 240);
}

TEST(NoteLists, RowsAreReadInAdvance) {
  struct Known {
    const char* key;
    RowKind kind;
  };
  const Known known[] = {{"+code", RowKind::Code},         {"+mode", RowKind::Mode},
                         {"+bit", RowKind::Bit},           {"+count", RowKind::Count},
                         {"+codetemp", RowKind::CodeTemp}, {"+refkey", RowKind::RefKey},
                         {"+time", RowKind::Time},         {"+24BitColor", RowKind::Color24}};
  for (const NoteList* list : AllNoteLists()) {
    for (int r = 0; r <= list->H; ++r) {
      const NoteRow& row = list->rows[r];
      const auto it = std::find_if(std::begin(known), std::end(known),
                                   [&](const Known& k) { return row.key == k.key; });
      // Every directive of the built-in lists is one the engine knows.
      EXPECT_EQ(row.kind, it == std::end(known) ? RowKind::Plain : it->kind)
          << list->name << " row " << r << " key " << KeyOf(*list, r);
      if (IsCounted(row.kind) || row.kind == RowKind::Color24) {
        EXPECT_EQ(row.text, std::to_string(row.count)) << list->name << " row " << r;
      } else {
        EXPECT_EQ(row.count, 0) << list->name << " row " << r;
      }
    }
  }
  // Key numbers as the engine compares them with group codes.
  EXPECT_EQ(CodeNoteList().rows[48].keyNumber, 420);
  EXPECT_EQ(CodeNoteList().rows[26].keyNumber, 999);
  EXPECT_EQ(HeaderNoteList().rows[1].keyNumber, 0);
  const NoteList& header = HeaderNoteList();
  const int acadver = FindEntry(header, 10, "$ACADVER");
  ASSERT_GE(acadver, 0);
  EXPECT_EQ(header.rows[acadver + 2].keyNumber, 1);
  EXPECT_EQ(header.rows[acadver + 8].keyNumber, 1015);  // "AC1015"
}

TEST(NoteLists, DirectiveTextsAreUsable) {
  const NoteList& reference = ReferenceNoteList();
  std::set<std::string> referenceKeys;
  for (int r = 0; r <= reference.H; r = Skip(reference, r))
    if (!reference.rows[r].key.empty()) referenceKeys.insert(reference.rows[r].key);
  EXPECT_EQ(referenceKeys.size(), 4u);

  for (const NoteList* list : AllNoteLists()) {
    for (int r = 0; r <= list->H; ++r) {
      const NoteRow& row = list->rows[r];
      if (!row.IsDirective()) continue;
      const std::string where = std::string(list->name) + " row " + std::to_string(r);
      EXPECT_FALSE(row.text.empty()) << where;
      if (IsCounted(row.kind)) {
        EXPECT_GT(row.count, 0) << where;
      }
      if (row.kind == RowKind::RefKey) {
        EXPECT_TRUE(referenceKeys.count(row.text)) << where;
      }
      if (row.kind == RowKind::Time) {
        EXPECT_TRUE(row.text == "calendar" || row.text == "timer") << where;
      }
      // Every directive but a section list's row 0 is an attachment of the plain row above.
      if (r > 0) {
        EXPECT_FALSE(list->rows[r - 1].IsDirective()) << where;
      }
    }
  }
}

TEST(NoteLists, EveryCountCoversItsBody) {
  // The bodies whose counts end before their last entry does, by (list, key of the owner
  // row), with how many rows past the counted end the walk of the entries lands: the last
  // two DIMENSION subclasses, the last "add" of HATCH, and the twelve cell-border rows of
  // TABLESTYLE past the objects list's record names.
  const std::map<std::pair<std::string, std::string>, int> expected = {
      {{"entities", "DIMENSION"}, 22}, {{"entities", "HATCH"}, 1}, {{"objects", "0"}, 12}};

  std::map<std::pair<std::string, std::string>, int> found;
  for (const NoteList* list : AllNoteLists()) {
    for (int q = 0; q <= list->H; ++q) {
      if (!IsCounted(list->rows[q].kind)) continue;
      const int end = q + list->rows[q].count + 1;
      const int landed = WalkBody(*list, q);
      if (landed != end) found[{list->name, q > 0 ? KeyOf(*list, q - 1) : ""}] = landed - end;
    }
  }
  EXPECT_EQ(found, expected);
}

TEST(NoteLists, PaddingAndEmptyTexts) {
  struct Padding {
    const NoteList* list;
    int firstEmptyRow;  // every row from here to H is empty
  };
  const Padding padding[] = {{&CodeNoteList(), 51},    {&ReferenceNoteList(), 32},
                             {&ClassesNoteList(), 20}, {&HeaderNoteList(), 307},
                             {&TablesNoteList(), 356}, {&EntitiesNoteList(), 682},
                             {&ObjectsNoteList(), 255}};
  for (const Padding& p : padding) {
    const NoteList& list = *p.list;
    for (int r = 0; r <= list.H; ++r) {
      const NoteRow& row = list.rows[r];
      if (r >= p.firstEmptyRow) {
        EXPECT_TRUE(row.key.empty() && row.text.empty()) << list.name << " row " << r;
        continue;
      }
      EXPECT_FALSE(row.key.empty()) << list.name << " row " << r;
      // An empty text is left only where an attachment supplies the words.
      if (!row.IsDirective() && row.text.empty()) {
        EXPECT_TRUE(r < list.H && list.rows[r + 1].IsDirective()) << list.name << " row " << r;
      }
    }
  }
}

TEST(NoteLists, ModeAndBitEntriesAreDistinct) {
  for (const NoteList* list : AllNoteLists()) {
    for (int q = 0; q <= list->H; ++q) {
      const RowKind kind = list->rows[q].kind;
      if (kind != RowKind::Mode && kind != RowKind::Bit) continue;
      std::set<std::string> seen;
      for (int r : Entries(*list, q)) {
        if (list->rows[r].key.empty()) continue;
        EXPECT_TRUE(seen.insert(list->rows[r].key).second)
            << list->name << " row " << r << " repeats " << KeyOf(*list, r);
      }
    }
  }
}

TEST(NoteLists, RowsSayWhatTheSourceSays) {
  for (const NoteList* list : AllNoteLists()) {
    const std::span<const NoteSourceRow> source = NoteListSource(*list);
    ASSERT_EQ(source.size(), list->rows.size()) << list->name;
    for (int r = 0; r <= list->H; ++r) {
      // A character CP932 cannot take comes back as "?"; one it takes under another code
      // point (a wave dash, a minus sign) comes back different.
      EXPECT_EQ(Utf8(list->rows[r].key), source[r].key) << list->name << " row " << r;
      EXPECT_EQ(Utf8(list->rows[r].text), source[r].text) << list->name << " row " << r;
    }
  }
  // Full-width text really is double-byte CP932: eight characters, sixteen bytes.
  EXPECT_EQ(CodeNoteList().rows[48].text.size(), 16u);
  EXPECT_EQ(CodeNoteList().rows[48].text, Sjis("２４ビットカラー"));
}

TEST(NoteLists, RecordNamesInRowOrder) {
  struct Case {
    const NoteList* list;
    std::vector<Row> names;
  };
  const Case cases[] = {
      {&ClassesNoteList(),
       {{"SECTION", "******************"},
        {"ENDSEC", "クラスセクション終了"},
        {"CLASS", "クラス開始"}}},
      {&HeaderNoteList(),
       {{"SECTION", "******************"}, {"ENDSEC", "ヘッダーセクション終了"}}},
      {&TablesNoteList(),
       {
           {"SECTION", "******************"},
           {"ENDSEC", "テーブルセクション終了"},
           {"TABLE", "テーブル開始"},
           {"ENDTAB", "テーブル終了"},
           {"APPID", "アプリケーションID定義"},
           {"BLOCK_RECORD", "ブロックレコード定義"},
           {"DIMSTYLE", "寸法スタイル定義"},
           {"344", "矢印２BLOCKのハンドル(DIMBLK2)"},
           {"371", "寸法線太さ(DIMLWD)"},
           {"372", "寸法補助線太さ(DIMLWE)"},
           {"LAYER", "画層定義"},
           {"LTYPE", "線種定義"},
           {"STYLE", "文字スタイル定義"},
           {"UCS", "ユーザ座標系定義"},
           {"VIEW", "ビュー定義"},
           {"VPORT", "ビューポート定義"},
       }},
      {&EntitiesNoteList(),
       {
           {"SECTION", "******************"},
           {"ENDSEC", "セクション終了"},
           {"BLOCK", "ブロック定義開始"},
           {"ENDBLK", "ブロック定義終了"},
           {"3DFACE", "3D面"},
           {"3DSOLID", "3Dソリッド"},
           {"ACAD_PROXY_ENTITY", "プロキシ図形"},
           {"ARC", "円弧"},
           {"ARCALIGNEDTEXT", "円弧位置合わせ文字"},
           {"ATTDEF", "属性定義"},
           {"ATTRIB", "属性"},
           {"BODY", "ボディ"},
           {"CIRCLE", "円"},
           {"DIMENSION", "寸法"},
           {"AcDb2LineAngularDimension", ""},
           {"AcDbOrdinateDimension", ""},
           {"ELLIPSE", "楕円"},
           {"HATCH", "ハッチング"},
           {"add", "1"},
           {"IMAGE", "イメージ"},
           {"INSERT", "ブロック挿入"},
           {"LEADER", "引出線"},
           {"LINE", "線分"},
           {"LWPOLYLINE", "ライトウェイトポリライン"},
           {"MLINE", "マルチライン"},
           {"MTEXT", "マルチテキスト"},
           {"OLEFRAME", "OLE フレーム"},
           {"OLE2FRAME", "OLE2 フレーム"},
           {"POINT", "点"},
           {"POLYLINE", "ポリライン"},
           {"RAY", "放射線"},
           {"REGION", "リージョン"},
           {"RTEXT", "リモートテキスト"},
           {"SEQEND", "シーケンス終了"},
           {"SHAPE", "シェイプ"},
           {"SOLID", "2D塗り潰し"},
           {"SPLINE", "スプライン"},
           {"TEXT", "文字"},
           {"TOLERANCE", "幾何公差"},
           {"TRACE", "太線"},
           {"VERTEX", "頂点"},
           {"VIEWPORT", "ビューポート"},
           {"WIPEOUT", "ワイプアウト"},
           {"XLINE", "構築線"},
       }},
      {&ObjectsNoteList(),
       {
           {"SECTION", "******************"},
           {"ENDSEC", "オブジェクトセクション終了"},
           {"ACAD_PROXY_OBJECT", "プロキシオブジェクト"},
           {"ACDBDICTIONARYWDFLT", "ACDBDICTIONARYWDFLT"},
           {"ACDBPLACEHOLDER", "ACDBPLACEHOLDER"},
           {"DICTIONARY", "ディクショナリ"},
           {"DICTIONARYVAR", "ディクショナリ変数"},
           {"GROUP", "グループ"},
           {"IDBUFFER", "ID バッファ"},
           {"IMAGEDEF", "イメージ定義"},
           {"IMAGEDEF_REACTOR", "イメージ定義リアクタ"},
           {"LAYER_INDEX", "画層インデックス"},
           {"LAYOUT", "レイアウト"},
           {"MLINESTYLE", "マルチラインスタイル"},
           {"OBJECT_PTR", "オブジェクトプリンタ"},
           {"PLOTSETTINGS", "プロットセッティング"},
           {"RASTERVARIABLES", "ラスター変数"},
           {"SPATIAL_INDEX", "空間インデックス"},
           {"SPATIAL_FILTER", "空間フィルタ"},
           {"SORTENTSTABLE", "SORTENTSテーブル"},
           {"XRECORD", "拡張レコード"},
           {"TABLESTYLE", "表形式"},
       }},
  };
  for (const Case& c : cases) EXPECT_EQ(NamedEntries(*c.list, 2), Pairs(c.names)) << c.list->name;

  // The section names under each SECTION entry's "2".
  struct SectionNames {
    const NoteList* list;
    std::vector<Row> names;
  };
  const SectionNames sections[] = {
      {&ClassesNoteList(), {{"CLASSES", "クラスセクション"}}},
      {&HeaderNoteList(), {{"HEADER", "ヘッダーセクション"}}},
      {&TablesNoteList(), {{"TABLES", "テーブルセクション"}}},
      {&EntitiesNoteList(),
       {{"BLOCKS", "ブロックセクション"}, {"ENTITIES", "エンティティセクション"}}},
      {&ObjectsNoteList(), {{"OBJECTS", "オブジェクトセクション"}}},
  };
  for (const SectionNames& s : sections) {
    const NoteList& list = *s.list;
    ASSERT_EQ(KeyOf(list, 3), "SECTION") << list.name;
    ASSERT_EQ(list.rows[4].kind, RowKind::Code) << list.name;
    ExpectRowsAt(list, 5, {{"2", ""}});
    ASSERT_EQ(list.rows[6].kind, RowKind::Mode) << list.name;
    EXPECT_EQ(NamedEntries(list, 6), Pairs(s.names)) << list.name;
    EXPECT_EQ(list.rows[4].count, list.rows[6].count + 2) << list.name;
  }

  // The header variables under row 9, closed by one empty row.
  const std::vector<Row> variables = {
      {"$ACADVER", "DXFのバージョン番号"},
      {"$ACADMAINTVER", "メンテナンスのバージョン番号"},
      {"$ANGBASE", "UCS内の角度0の方向"},
      {"$ANGDIR", "UCS内の角度を指定する方向"},
      {"$ATTMODE", "属性表示モード"},
      {"$AUNITS", "角度単位"},
      {"$AUPREC", "角度の単位精度"},
      {"$CECOLOR", "現在の図形の色番号"},
      {"$CELTSCALE", "現在の図形の線種尺度"},
      {"$CELTYPE", "図形の線種名"},
      {"$CELWEIGHT", "新しいオブジェクトの線の太さ"},
      {"$CPSNID", "新しいオブジェクトの印刷スタイルのハンドル"},
      {"$CEPSNTYPE", "新しいオブジェクトの印刷スタイルのタイプ"},
      {"$CHAMFERA", "第１面取り距離"},
      {"$CHAMFERB", "第２面取り距離"},
      {"$CHAMFERC", "面取りの長さ"},
      {"$CHAMFERD", "面取り角度"},
      {"$CLAYER", "現在の画層名"},
      {"$CMLJUST", "現在のマルチラインの位置合わせ"},
      {"$CMLSCALE", "現在のマルチラインの尺度"},
      {"$CMLSTYLE", "現在のマルチラインのスタイル名"},
      {"$DIMADEC", "角度寸法で表示される小数点以下の桁数"},
      {"$DIMALT", "２単位併記の寸法記入"},
      {"$DIMALTD", "変換単位の寸法値の小数点以下の桁数"},
      {"$DIMALTF", "変換単位の尺度係数"},
      {"$DIMALTRND", "変換単位の丸めの値"},
      {"$DIMALTTD", "変換単位の寸法許容差値の小数点以下の桁数"},
      {"$DIMALTTZ", "変換単位の寸法許容差値のゼロ省略"},
      {"$DIMALTU", "併記寸法単位形式"},
      {"$DIMALTZ", "変換単位の寸法値のゼロ省略"},
      {"$DIMAPOST", "変換単位の寸法値の付加文字列"},
      {"$DIMASO", "自動調整寸法の設定"},
      {"$DIMASZ", "寸法矢印のサイズ"},
      {"$DIMATFIT", "寸法値と矢印フィット"},
      {"$DIMAUNIT", "角度寸法単位"},
      {"$DIMAZIN", "角度寸法のゼロ省略"},
      {"$DIMBLK", "矢印ブロック名"},
      {"$DIMBLK1", "第１矢印ブロック名"},
      {"$DIMBLK2", "第２矢印ブロック名"},
      {"$DIMCEN", "中心マークと中心線のサイズ"},
      {"$DIMCLRD", "寸法線の色"},
      {"$DIMCLRE", "寸法補助線の色"},
      {"$DIMCLRT", "寸法値の色"},
      {"$DIMDEC", "基本単位の寸法値の小数点以下の桁数"},
      {"$DIMDLE", "寸法線の延長部の長さ"},
      {"$DIMDLI", "並列記入寸法線の間隔"},
      {"$DIMDSEP", "寸法小数点区切り文字"},
      {"$DIMEXE", "寸法補助線の延長部の長さ"},
      {"$DIMEXO", "寸法補助線のオフセット"},
      {"$DIMFAC", "分数表記と寸法許容差の寸法値の高さの計算の尺度係数"},
      {"$DIMGAP", "寸法線のギャップ"},
      {"$DIMJUST", "寸法値の水平方向の位置"},
      {"$DIMLDRBLK", "引出線の矢印ブロック名"},
      {"$DIMLFAC", "長さ寸法の尺度係数"},
      {"$DIMLIM", "許容限界寸法値"},
      {"$DIMLUNIT", "寸法単位"},
      {"$DIMLWD", "寸法線の太さ"},
      {"$DIMLWE", "寸法補助線の太さ"},
      {"$DIMPOST", "基本単位の寸法値の付加文字列"},
      {"$DIMRND", "寸法距離に対する丸めの値"},
      {"$DIMSAH", "両端に異なる矢印ブロックを使用"},
      {"$DIMSCALE", "寸法記入全体の尺度係数"},
      {"$DIMSD1", "第１寸法線の省略"},
      {"$DIMSD2", "第２寸法線の省略"},
      {"$DIMSE1", "第１寸法補助線の省略"},
      {"$DIMSE2", "第２寸法補助線の省略"},
      {"$DIMSHO", "ドラッグ中の寸法再計算"},
      {"$DIMSOXD", "寸法補助線の外側の寸法線を省略"},
      {"$DIMSTYLE", "寸法スタイル名"},
      {"$DIMTAD", "寸法線の上側に寸法値を記入"},
      {"$DIMTDEC", "基本単位の寸法許容差値の小数点以下の桁数"},
      {"$DIMTFAC", "寸法許容差の表示尺度係数"},
      {"$DIMTIH", "寸法補助線の内側の寸法値は水平"},
      {"$DIMTIX", "寸法値を強制的に寸法補助線の内側に記入"},
      {"$DIMTM", "マイナスの寸法許容差値"},
      {"$DIMTMOVE", "寸法値の移動規則"},
      {"$DIMTOFL", "寸法補助線間に強制的に寸法線を記入"},
      {"$DIMTOH", "寸法補助線の外側の寸法値は水平"},
      {"$DIMTOL", "寸法許容差を記入"},
      {"$DIMTOLJ", "寸法許容差値の垂直方向の位置合わせ"},
      {"$DIMTP", "プラスの寸法許容差値"},
      {"$DIMTSZ", "寸法斜線 (ティック) のサイズ"},
      {"$DIMTVP", "寸法値の垂直方向の位置"},
      {"$DIMTXSTY", "寸法記入の文字スタイル"},
      {"$DIMTXT", "寸法値の高さ"},
      {"$DIMTZIN", "基本単位の寸法許容差値のゼロ省略"},
      {"$DIMUPT", "ユーザ記入寸法値に対するカーソルの機能"},
      {"$DIMZIN", "基本単位の寸法値のゼロ省略"},
      {"$DISPSILH", "ワイヤフレーム モードのシルエット曲線の表示"},
      {"$DWGCODEPAGE", "図面のコードページ"},
      {"$ELEVATION", "現在の高度設定"},
      {"$ENDCAPS", "線の太さのエンドキャップ設定"},
      {"$EXTMAX", "オブジェクト範囲の右上コーナーの X、Y、Z 値(WCS)"},
      {"$EXTMIN", "オブジェクト範囲の左下コーナーの X、Y、Z 値(WCS)"},
      {"$EXTNAMES", "シンボル テーブルの名前付け"},
      {"$FILLETRAD", "フィレット半径"},
      {"$FILLMODE", "塗り潰し表示モード"},
      {"$FINGERPRINTGUID", "特定の図面を一意に識別"},
      {"$HANDSEED", "次の有効なハンドル番号"},
      {"$HYPERLINKBASE", "図面内で関連するすべてのハイパーリンクのパス"},
      {"$INSBASE", "コマンドで設定された挿入基点(WCS)"},
      {"$INSUNITS", "AutoCAD DesignCenter ブロックの既定値の図面単位"},
      {"$JOINSTYLE", "新しいオブジェクトに対する線の結合部の設定"},
      {"$LIMCHECK", "図面範囲チェック"},
      {"$LIMMAX", "図面範囲の右上コーナーの XY 値(WCS)"},
      {"$LIMMIN", "図面範囲の左下コーナーの XY 値(WCS)"},
      {"$LTSCALE", "グローバル線種尺度"},
      {"$LUNITS", "座標と長さの単位形式"},
      {"$LUPREC", "座標と長さの単位の精度"},
      {"$LWDISPLAY", "線の太さの表示"},
      {"$MAXACTVP", "再作図されるビューポートの最大数の設定"},
      {"$MEASUREMENT", "作図単位の設定"},
      {"$MENU", "メニュー ファイル名"},
      {"$MIRRTEXT", "文字を鏡像化"},
      {"$ORTHOMODE", "直交モード"},
      {"$PDMODE", "点表示モード"},
      {"$PDSIZE", "点表示サイズ"},
      {"$PELEVATION", "現在のペーパー空間の高度"},
      {"$PEXTMAX", "ペーパー空間のオブジェクト範囲の右上コーナーの X、Y、Z 座標"},
      {"$PEXTMIN", "ペーパー空間のオブジェクト範囲の左下コーナーの X、Y、Z 座標"},
      {"$PINSBASE", "ペーパー空間の挿入基点"},
      {"$PLIMCHECK", "ペーパー空間の図面範囲チェック"},
      {"$PLIMMAX", "ペーパー空間の図面範囲の右上コーナーの X および Y 座標"},
      {"$PLIMMIN", "ペーパー空間の図面範囲の左下コーナーの X および Y 座標"},
      {"$PLINEGEN", "2D ポリラインの各頂点での線種パターンの生成"},
      {"$PLINEWID", "ポリラインの既定値の幅"},
      {"$PROXYGRAPHICS", "プロキシ オブジェクト イメージの保存"},
      {"$PSLTSCALE", "ペーパー空間の線種尺度"},
      {"$PSTYLEMODE", "印刷スタイルモード"},
      {"$PSVPSCALE", "新しいビューポートのビュー尺度"},
      {"$PUCSBASE", "ペーパー空間の直交投影 UCS の設定の原点と方向を定義する UCS の名前"},
      {"$PUCSNAME", "ペーパー空間の現在の UCS 名"},
      {"$PUCSORG", "ペーパー空間の現在の UCS の原点"},
      {"$PUCSORGBACK", "ペーパー空間の UCS を[背面図]に変更後の新しい原点"},
      {"$PUCSORGBOTTOM", "ペーパー空間の UCS を[下面図]に変更後の新しい原点"},
      {"$PUCSORGFRONT", "ペーパー空間の UCS を[正面図]に変更後の新しい原点"},
      {"$PUCSORGLEFT", "ペーパー空間の UCS を[左側面図]に変更後の新しい原点"},
      {"$PUCSORGRIGHT", "ペーパー空間の UCS を[右側面図]に変更後の新しい原点"},
      {"$PUCSORGTOP", "ペーパー空間の UCS を[平面図]に変更後の新しい原点"},
      {"$PUCSORTHOREF", "ペーパー空間の直交投影が関連している UCS の名前"},
      {"$PUCSORTHOVIEW", "ペーパー空間の UCS の直交投影ビューのタイプ"},
      {"$PUCSXDIR", "ペーパー空間の現在の UCS の X 軸"},
      {"$PUCSYDIR", "ペーパー空間の現在の UCS の Y 軸"},
      {"$QTEXTMODE", "文字省略モード"},
      {"$REGENMODE", "自動再作図モード"},
      {"$SHADEDGE", "エッジのシェーディング方法"},
      {"$SHADEDIF", "周囲光/拡散反射光の比率"},
      {"$SKETCHINC", "スケッチの記録単位"},
      {"$SKPOLY", "スケッチコマンドの線生成指定"},
      {"$SPLFRAME", "スプライン制御ポリゴン表示"},
      {"$SPLINESEGS", "各スプライン パッチに対する線分セグメントの数"},
      {"$SPLINETYPE", "ポリライン編集に対するスプライン曲線のタイプ"},
      {"$SURFTAB1", "第１方向の面分割数"},
      {"$SURFTAB2", "第２方向の面分割数"},
      {"$SURFTYPE", "ポリライン編集に対するサーフェスのタイプ"},
      {"$SURFU", "Ｍ方向のサーフェス密度"},
      {"$SURFV", "Ｎ方向のサーフェス密度"},
      {"$TDCREATE", "図面を作成したローカルの日付/時刻"},
      {"$TDINDWG", "図面の総編集時間"},
      {"$TDUCREATE", "図面を作成したユニバーサルの日付/時刻"},
      {"$TDUPDATE", "最後に図面を更新したローカルの日付/時刻"},
      {"$TDUSRTIMER", "図面を開いてからの経過時間"},
      {"$TDUUPDATE", "最後に図面を更新/保存したユニバーサルの日付/時刻"},
      {"$TEXTSIZE", "文字の既定値の高さ"},
      {"$TEXTSTYLE", "現在の文字スタイルの名前"},
      {"$THICKNESS", "設定された現在の厚さ"},
      {"$TILEMODE", "ペーパー空間へのアクセス方法とビューポートの処理方式"},
      {"$TRACEWID", "太線の既定値の幅"},
      {"$TREEDEPTH", "空間インデックスの深さの最大値"},
      {"$UCSBASE", "直交投影 UCS の設定の原点と方向を定義する UCS の名前"},
      {"$UCSNAME", "現在の UCS の名前"},
      {"$UCSORG", "現在の UCS の原点(WCS)"},
      {"$UCSORGBACK", "モデル空間の UCS を[背面図]に変更後の新しい原点"},
      {"$UCSORGBOTTOM", "モデル空間の UCS を[下面図]に変更後の新しい原点"},
      {"$UCSORGFRONT", "モデル空間の UCS を[正面図]に変更後の新しい原点"},
      {"$UCSORGLEFT", "モデル空間の UCS を[左側面図]に変更後の新しい原点"},
      {"$UCSORGRIGHT", "モデル空間の UCS を[右側面図]に変更後の新しい原点"},
      {"$UCSORGTOP", "モデル空間の UCS を[平面図]に変更後の新しい原点"},
      {"$UCSORTHOREF", "モデル空間の直交投影の UCS が関連している UCS の名前"},
      {"$UCSORTHOVIEW", "モデル空間の UCS の直交投影ビューのタイプ"},
      {"$UCSXDIR", "現在の UCS の X 軸の方向(WCS)"},
      {"$UCSYDIR", "現在の UCS の Y 軸の方向(WCS)"},
      {"$UNITMODE", "単位の表示形式"},
      {"$USERI1", "ユーザー用の整数値変数"},
      {"$USERI2", "ユーザー用の整数値変数"},
      {"$USERI3", "ユーザー用の整数値変数"},
      {"$USERI4", "ユーザー用の整数値変数"},
      {"$USERI5", "ユーザー用の整数値変数"},
      {"$USERR1", "ユーザー用の実数値変数"},
      {"$USERR2", "ユーザー用の実数値変数"},
      {"$USERR3", "ユーザー用の実数値変数"},
      {"$USERR4", "ユーザー用の実数値変数"},
      {"$USERR5", "ユーザー用の実数値変数"},
      {"$USRTIMER", "ユーザータイマー"},
      {"$VERSIONGUID", "図面の特定のバージョンを一意に識別"},
      {"$VISRETAIN", "外部参照の可視設定"},
      {"$WORLDVIEW", "3Dダイナミックビューまたは 3D視点で UCS を WCS に変更するか"},
      {"$XEDIT", "別の図面を参照している図面内から、参照先の図面をインプレイス編集できるかどうか"},
      {"$OLESTARTUP", "OLEオブジェクトのソースアプリケーションロード"},
      {"$DIMFRAC", "分数表記"},
      {"$STYLESHEET", "スタイルシート"},
      {"$SORTENTS", "オブジェクトのソート方法"},
      {"$INDEXCTL", "画層と空間インデックスの保存方法"},
      {"$HALOGAP", "ハロー線ギャップ"},
      {"$OBSCOLOR", "隠線の色"},
      {"$OBSLTYPE", "隠線の線種"},
      {"$HIDETEXT", "隠線処理方法"},
      {"$XCLIPFRAME", "外部参照クリッピング境界の可視性"},
      {"$INTERSECTIONDISPLAY", "交差ポリラインの表示方法"},
      {"$INTERSECTIONCOLOR", "交差ポリラインの図形の色"},
      {"$DIMASSOC", "寸法オブジェクトの自動調整"},
      {"$PROJECTNAME", "プロジェクト名"},
      {"$TITLE", "図面プロパティ"},
      {"$SUBJECT", "図面プロパティ"},
      {"$AUTHOR", "図面プロパティ"},
      {"$KEYWORDS", "図面プロパティ"},
      {"$COMMENTS", "図面プロパティ"},
      {"$LASTSAVEDBY", "図面プロパティ"},
      {"$REVISIONNUMBER", "図面プロパティ"}

  };
  ASSERT_EQ(variables.size(), 219u);
  const NoteList& header = HeaderNoteList();
  EXPECT_EQ(NamedEntries(header, 10), Pairs(variables));
  const std::vector<int> variableRows = Entries(header, 10);
  ASSERT_EQ(variableRows.size(), 220u);
  EXPECT_EQ(variableRows.back(), 307);

  // The rows at the top level of the objects list: the tail of the TABLESTYLE body.
  const NoteList& objects = ObjectsNoteList();
  std::vector<Row> top = {{"0", ""}};
  for (const char* key : {"284", "285", "286", "287", "288", "289"})
    top.push_back({key, "セルの境界の可視"});
  for (const char* key : {"64", "65", "66", "67", "68", "69"})
    top.push_back({key, "セルの境界の色"});
  top.push_back({"", ""});
  std::vector<std::pair<std::string, std::string>> topEntries;
  for (int r : Entries(objects, 0)) topEntries.emplace_back(KeyOf(objects, r), TextOf(objects, r));
  EXPECT_EQ(topEntries, Pairs(top));
  const int tablestyle = FindEntry(objects, 2, "TABLESTYLE");
  ASSERT_GE(tablestyle, 0);
  EXPECT_EQ(tablestyle + 1 + objects.rows[tablestyle + 1].count, 254);
}

TEST(NoteLists, QuotedRows) {
  const NoteList& entities = EntitiesNoteList();
  ExpectRowsAt(entities, FindEntry(entities, 2, "LINE"),
               {{"LINE", "線分"},
                {"+code", "6"},
                {"10", "始点Ｘ(WCS)"},
                {"20", "始点Ｙ(WCS)"},
                {"30", "始点Ｚ(WCS)"},
                {"11", "終点Ｘ(WCS)"},
                {"21", "終点Ｙ(WCS)"},
                {"31", "終点Ｚ(WCS)"}});
  ExpectRowsAt(entities, FindEntry(entities, 2, "LWPOLYLINE"),
               {{"LWPOLYLINE", "ライトウェイトポリライン"},
                {"+code", "26"},
                {"70", ""},
                {"+mode", "4"},
                {"0", "= 開いたポリライン"},
                {"1", "= 閉じたポリライン"},
                {"128", "= 開いたポリライン線種生成"},
                {"129", "= 閉じたポリライン線種生成"},
                {"90", "頂点の数"},
                {"+count", "1"},
                {"set", "0"},
                {"10", "頂点Ｘ"},
                {"+count", "2"},
                {"inc", "1"},
                {"add", "1"},
                {"20", "頂点Ｙ"},
                {"+count", "1"},
                {"add", "1"},
                {"40", "開始幅"},
                {"+count", "1"},
                {"add", "1"},
                {"41", "終了幅"},
                {"+count", "1"},
                {"add", "1"},
                {"42", "ふくらみ"},
                {"+count", "1"},
                {"add", "1"},
                {"43", "一定幅"}});
  // HATCH: the polyline boundary is the last entry of the path-type flags.
  const int hatch = FindEntry(entities, 2, "HATCH");
  ASSERT_GE(hatch, 0);
  const int pathType = FindEntry(entities, hatch + 1, "92");
  ASSERT_GE(pathType, 0);
  ASSERT_EQ(entities.rows[pathType + 1].kind, RowKind::Bit);
  const std::vector<int> flags = Entries(entities, pathType + 1);
  ASSERT_FALSE(flags.empty());
  ExpectRowsAt(entities, flags.back(), {{"2", "= ポリライン"}, {"+codetemp", "18"}});

  const NoteList& tables = TablesNoteList();
  ExpectRowsAt(tables, FindEntry(tables, 2, "LAYER"),
               {{"LAYER", "画層定義"},
                {"+code", "12"},
                {"2", "画層名"},
                {"70", ""},
                {"+bit", "6"},
                {"1", "= フリーズ"},
                {"2", "= 新しいビューポートでフリーズ"},
                {"4", "= ロック"},
                {"16", "= 外部参照の従属シンボル"},
                {"32", "= 外部参照の従属シンボルは正常"},
                {"64", "= 参照済み"},
                {"290", "印刷フラグ"},
                {"370", "線の太さ"},
                {"390", "PlotStyleNameオブジェクトのハードポインタ"}});

  const NoteList& header = HeaderNoteList();
  ExpectRowsAt(header, 11,
               {{"$ACADVER", "DXFのバージョン番号"},
                {"+code", "8"},
                {"1", ""},
                {"+mode", "6"},
                {"AC1006", "= GXⅢ(R10)"},
                {"AC1009", "= GX5(R11),R12J,LT"},
                {"AC1012", "= R13J,LT95"},
                {"AC1014", "= R14,LT97,LT98"},
                {"AC1015", "= 2000,LT2000"},
                {"AC1018", "= 2004,LT2004"}});
  // Date and time variables format the 40 pair that follows the name.
  const std::pair<const char*, const char*> times[] = {
      {"$TDCREATE", "calendar"},  {"$TDUCREATE", "calendar"}, {"$TDUPDATE", "calendar"},
      {"$TDUUPDATE", "calendar"}, {"$TDINDWG", "timer"},      {"$TDUSRTIMER", "timer"}};
  for (const auto& [name, mode] : times) {
    const int r = FindEntry(header, 10, name);
    ASSERT_GE(r, 0) << name;
    ExpectRowsAt(header, r + 1, {{"+code", "2"}, {"40", ""}, {"+time", mode}});
  }
  ExpectRowsAt(header, FindEntry(header, 10, "$AUNITS"),
               {{"$AUNITS", "角度単位"}, {"+refkey", "@角度単位形式"}});

  const NoteList& code = CodeNoteList();
  ExpectRowsAt(code, 13,
               {{"62", "色番号"},
                {"+refkey", "@color"},
                {"66", "図形後続フラグ"},
                {"67", "空間"},
                {"+refkey", "@空間"}});
  ExpectRowsAt(code, 48,
               {{"420", "２４ビットカラー"}, {"+24BitColor", "0"}, {"430", "色の名前"}, {"", ""}});
  EXPECT_EQ(code.rows[49].kind, RowKind::Color24);
  EXPECT_EQ(code.rows[49].count, 0);

  ExpectRowsAt(ReferenceNoteList(), 0,
               {{"@color", ""},
                {"+mode", "10"},
                {"0", " = BYBLOCK"},
                {"1", " = 赤"},
                {"2", " = 黄色"},
                {"3", " = 緑"},
                {"4", " = 水色"},
                {"5", " = 青"},
                {"6", " = ピンク"},
                {"7", " = 白"},
                {"8", " = 灰色"},
                {"256", " = BYLAYER"},
                {"@単位形式", ""},
                {"+mode", "7"},
                {"1", "= 指数表記"},
                {"2", "= 十進表記"},
                {"3", "= 工業図面表記"},
                {"4", "= 建築図面表記(ｽﾀｯｸ)"},
                {"5", "= 分数表記(ｽﾀｯｸ)"},
                {"6", "= 建築図面表記"},
                {"7", "= 分数表記"},
                {"@角度単位形式", ""},
                {"+mode", "5"},
                {"0", "= 十進数"},
                {"1", "= 度/分/秒"},
                {"2", "= グラジエント"},
                {"3", "= ラジアン"},
                {"4", "= 測量用単位"},
                {"@空間", ""},
                {"+mode", "2"},
                {"0", "= モデル"},
                {"1", "= ペーパー"}});

  ExpectRowsAt(ClassesNoteList(), 0,
               {{"+code", "20"},
                {"0", ""},
                {"+mode", "17"},
                {"SECTION", "******************"},
                {"+code", "3"},
                {"2", ""},
                {"+mode", "1"},
                {"CLASSES", "クラスセクション"},
                {"ENDSEC", "クラスセクション終了"},
                {"CLASS", "クラス開始"},
                {"+code", "9"},
                {"1", "クラスレコード名"},
                {"2", "C++クラス名"},
                {"3", "アプリケーション名"},
                {"90", "プロキシ機能フラグ"},
                {"280", "元プロキシフラグ"},
                {"281", "現図形"},
                {"+mode", "2"},
                {"0", " = OBJECTSセクション"},
                {"1", " = BLOCKS/ENTITIESセクション"},
                {"", ""}});
}

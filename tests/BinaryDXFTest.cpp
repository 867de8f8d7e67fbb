// BinaryDXFTest.cpp - binary DXF files: their pairs, byte-exact saves, both conversions.
#include "model/buffer/BinaryDXF.h"

#include <gtest/gtest.h>

#include <bit>          // std::bit_cast
#include <cstdint>      // std::uint64_t
#include <filesystem>   // std::filesystem::exists
#include <functional>   // std::function
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <utility>      // std::pair
#include <vector>       // std::vector

#include "model/buffer/GroupValues.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"
#include "tests/support/LoadedText.h"

namespace {

using std::string_literals::operator""s;
using Pairs = std::vector<std::pair<int, std::string>>;

// Bytes written by hand, independently of the codec: little-endian numbers.
std::string Little(std::uint64_t bits, int bytes) {
  std::string out;
  for (int k = 0; k < bytes; ++k) out += static_cast<char>(bits >> (8 * k) & 0xFF);
  return out;
}
std::string Real(double x) {
  return Little(std::bit_cast<std::uint64_t>(x), 8);
}
// A code as a drawing before R13 writes it, and as one from R13 on.
std::string Code1(int code) {
  return code >= 0 && code < 255 ? std::string(1, static_cast<char>(code))
                                 : "\xFF"s + Little(static_cast<std::uint16_t>(code), 2);
}
std::string Code2(int code) {
  return Little(static_cast<std::uint16_t>(code), 2);
}
std::string Str(std::string_view s) {
  return std::string(s) + '\0';
}

const std::string kSentinel(kBinarySentinel);

Pairs PairsOf(const TDXFBuffer& b) {
  Pairs pairs;
  for (int i = 0; i < b.PairCount; ++i) pairs.emplace_back(b.GetCode(i), b.GetValue(i));
  return pairs;
}

// Saves b to name in form and returns the bytes written.
std::string SavedAs(TDXFBuffer& b, const TempDir& dir, const std::string& name, DXFForm form) {
  b.SetFileName(dir.Path() + "/" + name);
  b.SaveForm = form;
  const std::uint64_t size = b.SaveSize();
  EXPECT_EQ(b.SaveToFile(), 0) << name;
  const std::string saved = ReadBytes(b.FileName);
  EXPECT_EQ(size, saved.size()) << name;
  return saved;
}

TEST(BinaryDXF, ShowsEveryValueTypeAsTextAndSavesAndConvertsByteForByte) {
  const std::string chunk127(127, '\xA5');
  std::string hex127;
  for (int k = 0; k < 127; ++k) hex127 += "A5";
  const std::string eof1 = Code1(0) + Str("EOF");
  const std::string eof2 = Code2(0) + Str("EOF");
  const std::string header2 = Code2(0) + Str("SECTION") + Code2(2) + Str("HEADER") + Code2(9) +
                              Str("$ACADVER") + Code2(1) + Str("AC1015") + Code2(0) + Str("ENDSEC");
  const Pairs header2Pairs = {
      {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {0, "ENDSEC"}};
  const auto with = [](Pairs head, const Pairs& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const struct {
    const char* what;
    std::string bytes;  // after the sentinel
    Pairs pairs;
  } cases[] = {
      {"one-byte codes, reals in the shortest text",
       Code1(0) + Str("SECTION") + Code1(10) + Real(0.1) + Code1(20) + Real(-0.0) + Code1(30) +
           Real(1e20) + Code1(40) + Real(448380.5389543074) + eof1,
       {{0, "SECTION"},
        {10, "0.1"},
        {20, "-0"},
        {30, "1e+20"},
        {40, "448380.5389543074"},
        {0, "EOF"}}},
      {"codes above 254 before R13, an empty string",
       Code1(0) + Str("SECTION") + Code1(1000) + Str("abc") + Code1(1) + Str("") + Code1(1071) +
           Little(0xFFFFFFFF, 4) + Code1(1004) + "\x02\xAB\x0C" + eof1,
       {{0, "SECTION"}, {1000, "abc"}, {1, ""}, {1071, "-1"}, {1004, "AB0C"}, {0, "EOF"}}},
      {"integers of every width, a flag, a chunk of 127 bytes",
       header2 + Code2(70) + Little(0x8000, 2) + Code2(90) + Little(123456789, 4) + Code2(160) +
           Little(0x8000000000000000, 8) + Code2(290) + "\xFF" + Code2(310) + "\x7F" + chunk127 +
           eof2,
       with(header2Pairs, {{70, "-32768"},
                           {90, "123456789"},
                           {160, "-9223372036854775808"},
                           {290, "255"},
                           {310, hex127},
                           {0, "EOF"}})},
      {"negative codes and UTF-8 text from R13 on",
       header2 + Code2(-3) + Str("x") + Code2(8) + Str("\xE5\xA3\x81") + eof2,
       with(header2Pairs, {{-3, "x"}, {8, "\xE5\xA3\x81"}, {0, "EOF"}})},
      {"no EOF pair: the pairs end with the file", header2, header2Pairs},
  };
  for (const auto& c : cases) {
    Loaded f(kSentinel + c.bytes);
    ASSERT_EQ(f.result, 0) << c.what << ": " << Utf8(f.buffer.ErrorMessage);
    EXPECT_EQ(f.buffer.Form, DXFForm::Binary) << c.what;
    EXPECT_EQ(PairsOf(f.buffer), c.pairs) << c.what;
    EXPECT_EQ(SavedAs(f.buffer, f.dir, "same.dxf", DXFForm::Binary), kSentinel + c.bytes) << c.what;
    // To text and back: the text form's pairs are the same, and its binary form the file.
    TDXFBuffer text;
    ASSERT_EQ(text.LoadFromFile(
                  f.dir.Write("text.dxf", SavedAs(f.buffer, f.dir, "t.dxf", DXFForm::Text))),
              0)
        << c.what;
    EXPECT_EQ(text.Form, DXFForm::Text);
    EXPECT_EQ(PairsOf(text), PairsOf(f.buffer)) << c.what;
    EXPECT_EQ(SavedAs(text, f.dir, "back.dxf", DXFForm::Binary), kSentinel + c.bytes) << c.what;
  }
}

TEST(BinaryDXF, AFileCutInsideAPairOrWithABrokenSentinelIsRefusedWithItsPlace) {
  const std::string start = kSentinel + Code2(0) + Str("SECTION") + Code2(2) + Str("HEADER");
  const std::string cut = Sjis("バイナリDXFファイルが途中で切れています。") + "\r\v";
  const struct {
    const char* what;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"inside a real", start + Code2(10) + Real(1.5).substr(0, 5), cut + "5" + Sjis("行")},
      {"inside a string", start + Code2(1) + "AC10", cut + "5" + Sjis("行")},
      {"inside a two-byte code", start + "\x0A", cut + "5" + Sjis("行")},
      {"inside a chunk", start + Code2(9) + Str("$X") + Code2(310) + "\x05\x01\x02",
       cut + "7" + Sjis("行")},
      {"a broken sentinel", "AutoCAD Binary DXF\r\n\x1a\x01"s + Code1(0) + Str("EOF"),
       Sjis("バイナリDXFファイルの先頭（AutoCAD Binary DXF）が壊れています")},
  };
  for (const auto& c : cases) {
    Loaded f(c.bytes);
    EXPECT_EQ(f.result, -3) << c.what;
    EXPECT_EQ(f.buffer.ErrorMessage, c.message) << c.what;
  }
}

TEST(BinaryDXF, AValueIsWrittenOnlyWhenItsCodesTypeCanHoldIt) {
  const struct {
    int code;
    std::string text;
    BinaryFault fault;
  } cases[] = {
      {10, " 1.5E+3 ", BinaryFault::None},
      {10, "abc", BinaryFault::NotReal},
      {10, "inf", BinaryFault::NotReal},
      {10, "1e400", BinaryFault::NotReal},
      {70, "65535", BinaryFault::None},
      {70, "-32768", BinaryFault::None},
      {70, "65536", BinaryFault::OutOfRange},
      {70, "-32769", BinaryFault::OutOfRange},
      {70, "1.0", BinaryFault::NotInteger},
      {90, "4294967295", BinaryFault::None},
      {90, "4294967296", BinaryFault::OutOfRange},
      {160, "-9223372036854775808", BinaryFault::None},
      {160, "9223372036854775808", BinaryFault::OutOfRange},
      {290, "255", BinaryFault::None},
      {290, "-1", BinaryFault::OutOfRange},
      {310, std::string(254, 'f'), BinaryFault::None},
      {310, std::string(256, 'F'), BinaryFault::ChunkTooLong},
      {310, "ABC", BinaryFault::NotHex},
      {1004, "0G", BinaryFault::NotHex},
      {1, "a\0b"s, BinaryFault::HasNul},
      {1, "", BinaryFault::None},
      {32768, "x", BinaryFault::CodeOutOfRange},
  };
  for (const auto& c : cases) {
    std::string out = "kept";
    EXPECT_EQ(AppendBinaryPair(out, BinaryCodes::OneByte, c.code, c.text), c.fault)
        << c.code << " '" << c.text << "'";
    // A refused value appends nothing; a written one its code and bytes.
    EXPECT_EQ(out == "kept", c.fault != BinaryFault::None) << c.code << " '" << c.text << "'";
  }
}

TEST(BinaryDXF, ASaveEncodesTheChangedPairsAndCopiesTheRest) {
  const std::string line = Code1(0) + Str("LINE");
  const std::string layer = Code1(8) + Str("0");
  const std::string x = Code1(10) + Real(12.4999999);
  const std::string eof = Code1(0) + Str("EOF");
  const struct {
    const char* what;
    std::function<void(TDXFBuffer&)> edit;
    std::string saved;
  } cases[] = {
      {"a value", [](TDXFBuffer& b) { b.SetValue(2, "12.5"); },
       line + layer + Code1(10) + Real(12.5) + eof},
      {"a code, above 254", [](TDXFBuffer& b) { b.SetCode(1, 1000); },
       line + Code1(1000) + Str("0") + x + eof},
      {"a left-out pair", [](TDXFBuffer& b) { b.SetValue(0, ""); }, layer + x + eof},
      {"a value set back", [](TDXFBuffer& b) { b.SetValue(1, "0"); }, line + layer + x + eof},
  };
  for (const auto& c : cases) {
    Loaded f(kSentinel + line + layer + x + eof);
    ASSERT_EQ(f.result, 0) << c.what;
    c.edit(f.buffer);
    EXPECT_EQ(SavedAs(f.buffer, f.dir, "out.dxf", DXFForm::Binary), kSentinel + c.saved) << c.what;
  }
}

TEST(BinaryDXF, ASavedFileReadsBackWhicheverPairComesFirst) {
  const std::string two = kSentinel + Code2(0) + Str("SECTION") + Code2(9) + Str("$ACADVER") +
                          Code2(1) + Str("AC1015") + Code2(0) + Str("EOF");
  const std::string one =
      kSentinel + Code1(0) + Str("SECTION") + Code1(10) + Real(2.5) + Code1(0) + Str("EOF");
  const struct {
    const char* what;
    std::string file;
    std::function<void(TDXFBuffer&)> edit;
  } cases[] = {
      {"two-byte codes, the first code above 255", two, [](TDXFBuffer& b) { b.SetCode(0, 999); }},
      {"two-byte codes, the first pair left out", two, [](TDXFBuffer& b) { b.SetValue(0, ""); }},
      {"one-byte codes, the first code above 254", one, [](TDXFBuffer& b) { b.SetCode(0, 1000); }},
  };
  for (const auto& c : cases) {
    Loaded f(c.file);
    ASSERT_EQ(f.result, 0) << c.what;
    c.edit(f.buffer);
    Pairs expected = PairsOf(f.buffer);
    if (expected.front().second.empty()) expected.erase(expected.begin());
    TDXFBuffer again;
    ASSERT_EQ(again.LoadFromFile(
                  f.dir.Write("again.dxf", SavedAs(f.buffer, f.dir, "out.dxf", DXFForm::Binary))),
              0)
        << c.what;
    EXPECT_EQ(PairsOf(again), expected) << c.what;
  }
}

TEST(BinaryDXF, APairTheTargetFormCannotHoldStopsTheSaveBeforeAnyByteIsWritten) {
  const struct {
    const char* what;
    std::string file;
    DXFForm form;
    std::string message;
  } cases[] = {
      {"a text real that is no number", "0\nSECTION\n 10\nabc\n0\nEOF\n", DXFForm::Binary,
       Sjis("3 行：グループコード 10 の値 'abc' は浮動小数点数ではありません。バイナリ DXF "
            "に書けません。値を直してから保存してください")},
      {"a text integer out of its range", "0\nSECTION\n 70\n70000\n0\nEOF\n", DXFForm::Binary,
       Sjis("3 行：グループコード 70 の値 '70000' は整数がグループコードの桁数に収まりません。"
            "バイナリ DXF に書けません。値を直してから保存してください")},
      {"a binary string with a line break",
       kSentinel + Code1(0) + Str("SECTION") + Code1(1) + Str("a\nb") + Code1(0) + Str("EOF"),
       DXFForm::Text,
       Sjis("3 行：グループコード 1 の値 'a\nb' は改行を含むのでテキスト DXF "
            "に書けません。値を直してから保存してください")},
  };
  for (const auto& c : cases) {
    Loaded f(c.file);
    ASSERT_EQ(f.result, 0) << c.what;
    f.buffer.SetFileName(f.dir.Path() + "/out.dxf");
    f.buffer.SaveForm = c.form;
    EXPECT_EQ(f.buffer.SaveToFile(), -3) << c.what;
    EXPECT_EQ(f.messages, std::vector<std::string>{c.message}) << c.what;
    EXPECT_FALSE(std::filesystem::exists(f.buffer.FileName)) << c.what;
  }
}

// The bits of an integer a binary file keeps for the type: 16- and 32-bit fields take
// unsigned values too, which read back signed.
unsigned long long StoredBits(GroupValueType type, long long value) {
  switch (type) {
    case GroupValueType::Int16:
      return static_cast<unsigned long long>(value) & 0xFFFF;
    case GroupValueType::Int32:
      return static_cast<unsigned long long>(value) & 0xFFFFFFFF;
    default:
      return static_cast<unsigned long long>(value);
  }
}

std::string UpperHex(std::string_view hex) {
  std::string upper(hex);
  for (char& c : upper)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// Tells whether a value's text and its text after a conversion read as the same value:
// the binary form keeps a number and not its text.
bool SameValue(int code, std::string_view before, std::string_view after) {
  const GroupValueType type = ValueTypeOfCode(code);
  if (type == GroupValueType::String) return before == after;
  if (type == GroupValueType::Chunk) return UpperHex(TrimView(before)) == after;
  if (type == GroupValueType::Real) {
    double x = 0, y = 0;
    return ParseDouble(TrimView(before), x) && ParseDouble(after, y) && x == y;
  }
  long long x = 0, y = 0;
  return ReadDecimalInteger(TrimView(before), x) && ReadDecimalInteger(after, y) &&
         StoredBits(type, x) == StoredBits(type, y);
}

TEST(BinaryDXF, CorpusDrawingsSaveByteForByteAndConvertBothWays) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TempDir out;
  int binaries = 0, texts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".dxf") continue;
    TDXFBuffer b;
    if (b.LoadFromFile(entry.path().string()) != 0) continue;
    const DXFForm other = b.Form == DXFForm::Binary ? DXFForm::Text : DXFForm::Binary;
    b.SaveForm = other;
    if (!b.SaveFormProblem().empty()) continue;  // a value its type cannot hold
    TDXFBuffer converted;
    ASSERT_EQ(converted.LoadFromFile(out.Write(name, SavedAs(b, out, "c.dxf", other))), 0) << name;
    EXPECT_EQ(converted.Form, other) << name;
    ASSERT_EQ(converted.PairCount, b.EofIndex + 1) << name;
    for (int i = 0; i < converted.PairCount; ++i) {
      ASSERT_EQ(converted.GetCode(i), b.GetCode(i)) << name << " pair " << i;
      ASSERT_TRUE(SameValue(b.GetCode(i), b.ValueView(i), converted.ValueView(i)))
          << name << " pair " << i << ": '" << b.GetValue(i) << "' '" << converted.GetValue(i)
          << "'";
    }
    if (b.Form == DXFForm::Text) {
      ++texts;
      continue;
    }
    ++binaries;
    const std::string original = ReadBytes(entry.path().string());
    EXPECT_EQ(SavedAs(b, out, "same.dxf", DXFForm::Binary), original) << name;
    EXPECT_EQ(SavedAs(converted, out, "back.dxf", DXFForm::Binary), original) << name;
  }
  EXPECT_EQ(binaries, 3);
  EXPECT_GE(texts, 25);
}

}  // namespace

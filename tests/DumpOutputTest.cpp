// DumpOutputTest.cpp - the output layer of quillet-dump: escapes, JSON, checked writes.
#include "tools/DumpOutput.h"

#include <gtest/gtest.h>

#include <cmath>       // HUGE_VAL, std::nan
#include <cstdio>      // tmpfile, fread, fopen
#include <functional>  // std::function

#include "model/text/Sjis.h"

namespace {

// Writes one line in the given form, its fields added by `fields`, and returns it.
std::string Written(DumpFormat format, const std::function<void(DumpLine&)>& fields) {
  // A temporary file, not open_memstream, which Windows lacks.
  std::FILE* stream = std::tmpfile();
  EXPECT_NE(stream, nullptr);
  if (!stream) return {};
  {
    DumpOutput out(stream, format);
    DumpLine line(out);
    fields(line);
    line.End();
    EXPECT_EQ(out.Finish(0), 0);
  }
  std::rewind(stream);
  std::string text;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;)
    text.append(chunk, got);
  std::fclose(stream);
  return text;
}

// A pair's line as the listing writes it: its line number, value and remark.
std::string LineOf(DumpFormat format, std::string_view value, std::string_view remark) {
  return Written(format, [&](DumpLine& line) {
    line.Number("line", 7);
    line.Value("value", value);
    line.Program("remark", remark);
  });
}

TEST(DumpOutput, EscapesControlCharactersAndBackslashes) {
  const struct {
    std::string_view value;  // CP932, as the drawing holds it
    const char* escaped;     // the tab-separated form's field
    const char* json;        // the JSON string
  } cases[] = {
      {"\t256", "\\t256", "\"\\t256\""},
      {"C:\\dwg\\a.dxf", "C:\\\\dwg\\\\a.dxf", "\"C:\\\\dwg\\\\a.dxf\""},
      {"a\r\nb", "a\\r\\nb", "\"a\\r\\nb\""},
      {"\x01\x1F\x7F", "\\x01\\x1F\\x7F", "\"\\u0001\\u001F\x7F\""},
      {"say \"hi\"", "say \"hi\"", "\"say \\\"hi\\\"\""},
      {"\x95\x5C", "表", "\"表\""},      // a CP932 trail byte 0x5C is no backslash
      {std::string_view(), "", "\"\""},  // an empty view without a pointer
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LineOf(DumpFormat::Escaped, c.value, ""), std::string("7\t") + c.escaped + "\t\n")
        << c.escaped;
    EXPECT_EQ(LineOf(DumpFormat::Json, c.value, ""),
              std::string("{\"line\":7,\"value\":") + c.json + ",\"remark\":\"\"}\n")
        << c.json;
    EXPECT_EQ(LineOf(DumpFormat::Raw, c.value, ""), "7\t" + std::string(c.value) + "\t\n");
  }
  // Program texts take the same escapes after their conversion from CP932.
  EXPECT_EQ(LineOf(DumpFormat::Escaped, "x", Sjis("ＤＸＦ\r\v2行")), "7\tx\tＤＸＦ\\r\\x0B2行\n");
}

TEST(DumpOutput, WritesRealsThatEveryJsonParserReads) {
  const struct {
    double x;
    const char* escaped;
    const char* json;
  } cases[] = {{0.5, "0.5", "0.5"},
               {1e20, "1e+20", "1e+20"},
               {HUGE_VAL, "inf", "null"},
               {std::nan(""), "nan", "null"}};
  for (const auto& c : cases) {
    for (const DumpFormat format : {DumpFormat::Escaped, DumpFormat::Json}) {
      const std::string expected = format == DumpFormat::Json
                                       ? std::string("{\"LtScale\":") + c.json + "}\n"
                                       : std::string(c.escaped) + "\n";
      EXPECT_EQ(Written(format, [&c](DumpLine& line) { line.Real("LtScale", c.x); }), expected);
    }
  }
}

TEST(DumpOutput, EndsInAFailureWhenAWriteFails) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (!full) GTEST_SKIP() << "/dev/full is not there";
  const struct {
    int status;
    int expected;
  } cases[] = {{0, kExitOutputFailed}, {5, 5}};  // an earlier failure keeps its status
  for (const auto& c : cases) {
    DumpOutput out(full, DumpFormat::Escaped);
    DumpLine line(out);
    line.Text("value", "x");
    line.End();
    testing::internal::CaptureStderr();
    EXPECT_EQ(out.Finish(c.status), c.expected);
    EXPECT_TRUE(out.Failed());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quillet-dump: cannot write the output: No space left on device\n");
    std::clearerr(full);
  }
  std::fclose(full);
}

}  // namespace

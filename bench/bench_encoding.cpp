// bench_encoding.cpp - the cost of reading a drawing in UTF-8 rather than in CP932.
//
// Usage: bench_encoding CP932.dxf UTF8.dxf SMALL_CP932.dxf SMALL_UTF8.dxf QUILLET_DUMP
// The UTF-8 drawings are the generated CP932 ones converted with iconv and marked AC1027
// (bench/run_bench.sh makes them). Two claims:
//  1. quillet-dump of the UTF-8 drawing, its values decoded, takes less than 1.5 times the
//     same dump of the CP932 drawing (with and without remarks).
//  2. The UTF-8 check that a load runs on a drawing declared single-byte or not at all
//     costs a small part of the load (shown on the UTF-8 drawing, which it reads whole).
// Before anything is timed, the two small drawings are checked to dump to the same text
// apart from their $ACADVER value.
#include <cstdio>   // std::printf, std::fprintf, std::remove
#include <fstream>  // std::ifstream
#include <sstream>  // std::stringstream
#include <string>   // std::string

#include "bench/BenchCommon.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/TextCodec.h"

namespace {

constexpr int kRuns = 3;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Dumps both drawings and compares the listings, leaving out the line of $ACADVER's value.
bool SameListing(const std::string& dump, const std::string& cp932, const std::string& utf8) {
  const std::string a = "/tmp/bench_encoding_a.txt", b = "/tmp/bench_encoding_b.txt";
  RunCommand("'" + dump + "' '" + cp932 + "' > " + a);
  RunCommand("'" + dump + "' '" + utf8 + "' > " + b);
  std::string left = ReadAll(a), right = ReadAll(b);
  std::remove(a.c_str());
  std::remove(b.c_str());
  for (std::string* listing : {&left, &right}) {
    const std::size_t at = listing->find("\n7\t1\tAC10");
    if (at == std::string::npos) return false;
    listing->erase(at, listing->find('\n', at + 1) - at);
  }
  return !left.empty() && left == right;
}

double DumpTime(const std::string& dump, const std::string& options, const std::string& file) {
  const std::string command = "'" + dump + "' " + options + " '" + file + "' > /dev/null";
  return MedianTime(kRuns, [&command] { RunCommand(command); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: bench_encoding CP932.dxf UTF8.dxf SMALL_CP932.dxf SMALL_UTF8.dxf "
                 "QUILLET_DUMP\n");
    return 2;
  }
  const std::string cp932 = argv[1], utf8 = argv[2], dump = argv[5];
  if (!SameListing(dump, argv[3], argv[4])) {
    std::fprintf(stderr, "bench_encoding: the UTF-8 and CP932 drawings do not list alike\n");
    return 1;
  }
  TDXFBuffer buffer;
  Require(buffer.LoadFromFile(utf8), "load");
  if (buffer.Encoding != TextEncoding::Utf8) {
    std::fprintf(stderr, "bench_encoding: %s is not read as UTF-8\n", utf8.c_str());
    return 1;
  }
  std::printf("machine: %s\nfiles: %s %lld bytes, %s %lld bytes\n\n", MachineLine().c_str(),
              cp932.c_str(), FileSize(cp932), utf8.c_str(), FileSize(utf8));
  PrintHeader();
  PrintRow("dump UTF-8 vs CP932 200MB", kRuns, DumpTime(dump, "", utf8), DumpTime(dump, "", cp932),
           "<1.5");
  PrintRow("dump --no-remarks UTF-8 vs CP932", kRuns, DumpTime(dump, "--no-remarks", utf8),
           DumpTime(dump, "--no-remarks", cp932), "<1.5");
  const std::string bytes = ReadAll(utf8);
  const double check = MedianTime(kRuns, [&bytes] {
    if (!IsUtf8WithMultiByteSequence(bytes)) std::fprintf(stderr, "not UTF-8?\n");
  });
  const double load = MedianTime(kRuns, [&utf8] {
    TDXFBuffer fresh;
    Require(fresh.LoadFromFile(utf8), "load");
  });
  PrintRow("UTF-8 check of 200MB vs its load", kRuns, check, load, "info");
  return 0;
}

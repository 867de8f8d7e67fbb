// bench_notes.cpp - the cost of showing a page of 50 rows with their remarks.
//
// Usage: bench_notes SMALL.dxf BIG.dxf QUILLET_DUMP [OUT_DIR]
// A page is filled as the grid fills it: for each of its rows the remark is read, and
// worked out (MakeNote) only when it is empty. 1,000 random pages are visited twice in
// each file: first visits work remarks out, second visits must be answered from storage.
// The third file, written here, holds one unknown record of 1,000,000 pairs, whose pairs
// the lists leave without remarks: the worst case for a lazy remark engine.
#include <algorithm>  // std::max, std::min
#include <cstdio>     // std::printf
#include <fstream>    // std::ofstream
#include <random>     // std::mt19937
#include <string>     // std::string
#include <vector>     // std::vector

#include "bench/BenchCommon.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kPageRows = 50;
constexpr int kPages = 1000;

// Fills one page from the buffer and returns a checksum of its cells.
std::size_t FillPage(TDXFBuffer& b, int top) {
  std::size_t sum = 0;
  for (int i = top; i < top + kPageRows && i < b.PairCount; ++i) {
    if (b.NoteView(i).empty()) b.MakeNote(i);
    sum += static_cast<std::size_t>(b.GetCode(i)) + b.ValueView(i).size() * 31 +
           b.NoteView(i).size() * 17;
  }
  return sum;
}

struct PageTimes {
  double firstMean = 0;
  double seenMean = 0;
  double slowestFirst = 0;
};

PageTimes VisitPages(const std::string& path) {
  TDXFBuffer b;
  Require(b.LoadFromFile(path), "load");
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> topOf(0, std::max(0, b.EofIndex - kPageRows));
  std::vector<int> tops(kPages);
  for (int& top : tops) top = topOf(random);
  PageTimes times;
  double first = 0, seen = 0;
  for (int p = 0; p < kPages; ++p) {
    const double t = TimeOnce([&] { FillPage(b, tops[static_cast<std::size_t>(p)]); });
    first += t;
    times.slowestFirst = std::max(times.slowestFirst, t);
  }
  for (int p = 0; p < kPages; ++p)
    seen += TimeOnce([&] { FillPage(b, tops[static_cast<std::size_t>(p)]); });
  times.firstMean = first / kPages;
  times.seenMean = seen / kPages;
  return times;
}

// Writes a drawing whose ENTITIES section is one record of an unknown type with a
// million pairs of coordinates and extended data.
std::string WriteUnknownRecord(const std::string& outDir) {
  const std::string path = outDir + "/bench_notes_unknown.dxf";
  std::ofstream out(path, std::ios::binary);
  out << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nNOSUCHENTITY\r\n";
  const char* codes[] = {" 10", " 20", " 11", "1000", " 21", "330"};
  for (int i = 0; i < 1000000; ++i) out << codes[i % 6] << "\r\n" << i % 977 << ".5\r\n";
  out << "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  return path;
}

// True when remarks worked out page by page from the top equal those worked out pair
// by pair, as the dump does.
bool PagesMatchSequentialRemarks(const std::string& path) {
  TDXFBuffer paged, sequential;
  Require(paged.LoadFromFile(path), "load");
  Require(sequential.LoadFromFile(path), "load");
  for (int top = 0; top <= paged.EofIndex; top += kPageRows) FillPage(paged, top);
  for (int i = 0; i <= sequential.EofIndex; ++i) {
    if (sequential.NoteView(i).empty()) sequential.MakeNote(i);
    if (sequential.NoteView(i) != paged.NoteView(i)) return false;
  }
  return true;
}

void PrintPageTimes(const std::string& name, const PageTimes& t) {
  std::printf("%-34s %5d %12.2f %12.2f %12.2f\n", name.c_str(), kPages, t.firstMean * 1e6,
              t.seenMean * 1e6, t.slowestFirst * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_notes SMALL.dxf BIG.dxf QUILLET_DUMP [OUT_DIR]\n");
    return 2;
  }
  const std::string small = argv[1], big = argv[2], dump = argv[3];
  const std::string outDir = argc > 4 ? argv[4] : "/tmp";
  if (!PagesMatchSequentialRemarks(small)) {
    std::fprintf(stderr, "bench_notes: page-by-page remarks differ from sequential ones\n");
    return 1;
  }
  const std::string unknown = WriteUnknownRecord(outDir);
  std::printf("machine: %s\nfiles: %s %lld bytes, %s %lld bytes, %s %lld bytes\n\n",
              MachineLine().c_str(), small.c_str(), FileSize(small), big.c_str(), FileSize(big),
              unknown.c_str(), FileSize(unknown));
  std::printf("%-34s %5s %12s %12s %12s\n", "pages of 50 rows", "pages", "first_us", "seen_us",
              "slowest_ms");
  const PageTimes smallTimes = VisitPages(small);
  const PageTimes bigTimes = VisitPages(big);
  const PageTimes unknownTimes = VisitPages(unknown);
  PrintPageTimes("2 MB drawing", smallTimes);
  PrintPageTimes("200 MB drawing", bigTimes);
  PrintPageTimes("one record of 1,000,000 pairs", unknownTimes);
  std::printf("\n");
  PrintHeader();
  const double seenMax = std::max({smallTimes.seenMean, bigTimes.seenMean, unknownTimes.seenMean});
  const double seenMin = std::min({smallTimes.seenMean, bigTimes.seenMean, unknownTimes.seenMean});
  // Page times are microseconds; the rows give them in microseconds, not seconds.
  PrintRow("seen pages: largest / smallest (us)", kPages, seenMax * 1e6, seenMin * 1e6, "<2");
  PrintRow("first visits: 200 MB / 2 MB (us)", kPages, bigTimes.firstMean * 1e6,
           smallTimes.firstMean * 1e6, "within 2");

  const std::string withRemarks = "'" + dump + "' '" + big + "' > /dev/null";
  const std::string without = "'" + dump + "' --no-remarks '" + big + "' > /dev/null";
  const double remarks = MedianTime(3, [&] { RunCommand(withRemarks); });
  const double plain = MedianTime(3, [&] { RunCommand(without); });
  PrintRow("quillet-dump vs --no-remarks 200MB", 3, remarks, plain, "<=3");
  std::remove(unknown.c_str());
  return 0;
}

// BenchCommon.cpp - timing, memory and reporting helpers shared by the benchmark programs.
#include "bench/BenchCommon.h"

#include <sys/stat.h>     // stat
#include <sys/utsname.h>  // uname
#include <unistd.h>       // sysconf

#include <algorithm>  // std::sort
#include <chrono>     // std::chrono::steady_clock
#include <cstdio>     // std::printf, std::fprintf
#include <cstdlib>    // std::system, std::exit
#include <fstream>    // std::ifstream
#include <memory>     // std::make_unique

#include "model/buffer/MyDXFClass.h"

unsigned long long Fingerprint(const TDXFBuffer& b) {
  unsigned long long h = 1469598103934665603ull;
  for (int i = 0; i <= b.EofIndex; ++i) {
    h = (h ^ static_cast<unsigned>(b.GetCode(i))) * 1099511628211ull;
    for (char c : b.ValueView(i)) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return h;
}

double TimeOnce(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MedianTime(int runs, const std::function<void()>& fn) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) times.push_back(TimeOnce(fn));
  return Median(times);
}

double MedianLoadTime(const std::string& path, int runs) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    auto buffer = std::make_unique<TDXFBuffer>();
    times.push_back(TimeOnce([&] { Require(buffer->LoadFromFile(path), "load"); }));
  }
  return Median(times);
}

long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  return -1;
}

long long FileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

std::string MachineLine() {
  struct utsname name;
  ::uname(&name);
  return std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + name.sysname + " " +
         name.release;
}

void PrintMachineAndDrawing(const std::string& path, int pairs) {
  std::printf("machine: %s\nfile: %s, %lld bytes, %d pairs\n\n", MachineLine().c_str(),
              path.c_str(), FileSize(path), pairs);
}

int RunCommand(const std::string& command) {
  return std::system(command.c_str());
}

void PrintHeader() {
  std::printf("%-34s %5s %9s %13s %7s  %s\n", "case", "runs", "median_s", "ref_median_s", "ratio",
              "bound");
}

void PrintRow(const std::string& name, int runs, double median, double reference,
              const std::string& bound) {
  std::printf("%-34s %5d %9.3f %13.3f %7.2f  %s\n", name.c_str(), runs, median, reference,
              median / reference, bound.c_str());
}

void PrintRatio(const std::string& name, double ratio, const std::string& bound) {
  std::printf("%-34s %5s %9s %13s %7.2f  %s\n", name.c_str(), "-", "-", "-", ratio, bound.c_str());
}

void Require(int result, const char* what) {
  if (result == 0) return;
  std::fprintf(stderr, "benchmark: %s failed with %d\n", what, result);
  std::exit(1);
}

int ChildLoadMode(const std::string& path) {
  TDXFBuffer buffer;
  const double seconds = TimeOnce([&] { Require(buffer.LoadFromFile(path), "load"); });
  std::printf("%.6f %lld\n", seconds, PeakResidentBytes());
  return 0;
}

ChildLoad RunChildLoad(const char* self, const std::string& path) {
  const std::string command = std::string("'") + self + "' --child '" + path + "'";
  ChildLoad result;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%lf %lld", &result.seconds, &result.peak) != 2) result = ChildLoad();
    ::pclose(pipe);
  }
  return result;
}

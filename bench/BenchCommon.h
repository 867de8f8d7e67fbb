// BenchCommon.h - timing, memory and reporting helpers shared by the benchmark programs.
#pragma once

#include <functional>  // std::function
#include <string>      // std::string
#include <vector>      // std::vector

class TDXFBuffer;

/// Hashes every pair up to EOF, to tell that an undo gave back the loaded drawing.
unsigned long long Fingerprint(const TDXFBuffer& b);

/// Seconds of wall-clock time that fn takes.
double TimeOnce(const std::function<void()>& fn);

/// Ends the benchmark with a message when a load or save returned a failure code, so no
/// figure is ever printed for a run that did not do its work.
void Require(int result, const char* what);

/// Median of the values.
double Median(std::vector<double> values);

/// Runs fn `runs` times and returns the median time in seconds.
double MedianTime(int runs, const std::function<void()>& fn);

/// Median time of `runs` LoadFromFile calls on path, each timed alone: its buffer is made
/// before and freed after the clock.
double MedianLoadTime(const std::string& path, int runs);

/// Peak resident memory of this process so far, in bytes (VmHWM).
long long PeakResidentBytes();

/// Size of a file in bytes (-1 when it cannot be read).
long long FileSize(const std::string& path);

/// One line that names the machine: cores and operating system.
std::string MachineLine();

/// Prints the report's first lines: the machine, then the drawing at path with its size
/// and number of pairs.
void PrintMachineAndDrawing(const std::string& path, int pairs);

/// Runs a shell command, returns its exit status.
int RunCommand(const std::string& command);

/// Prints the table header of the report.
void PrintHeader();

/// Prints one report row: the case, runs, medians, their ratio and its bound.
void PrintRow(const std::string& name, int runs, double median, double reference,
              const std::string& bound);

/// Prints one report row for a plain ratio that has no times.
void PrintRatio(const std::string& name, double ratio, const std::string& bound);

/// What a load in a fresh process measured: its seconds and the peak resident memory.
struct ChildLoad {
  double seconds = -1;
  long long peak = -1;
};

/// The child side of RunChildLoad: loads path once and prints the load's seconds and
/// the process's peak resident bytes. Returns the exit status.
int ChildLoadMode(const std::string& path);

/// Runs `self --child path` (a benchmark whose main hands "--child" to ChildLoadMode), so
/// the load is the first of a fresh process, as a user's open meets it.
ChildLoad RunChildLoad(const char* self, const std::string& path);

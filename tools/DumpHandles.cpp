// DumpHandles.cpp - the handle options of quillet-dump.
//
// --handle H prints "record<TAB>LINE<TAB>TYPE" for each record that owns H (more than one
// when the handle is duplicated), then "ref<TAB>LINE<TAB>CODE<TAB>TYPE" for each pair that
// points at H, in file order. --check prints "LINE<TAB>KIND<TAB>TEXT" per problem. Lines
// are the group-code lines of the pairs; texts are UTF-8.
#include "tools/DumpHandles.h"

#include <cstdio>       // std::fprintf, std::fputs, stdout, stderr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/DrawingCheck.h"
#include "model/HandleIndex.h"
#include "model/RecordWalk.h"
#include "model/Sjis.h"

const char kHandleUsage[] =
    "  --handle H    print the record that owns handle H (hexadecimal) and the pairs that\n"
    "                point at it\n"
    "  --check       print the problems of the drawing: LINE, KIND and a description\n";

namespace {

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
}

int PrintHandle(std::uint64_t handle, const TDXFBuffer& buffer) {
  HandleIndex index;
  index.Build(buffer);
  const std::vector<int> referrers = ReferringPairs(buffer, handle);
  if (index.Owners(handle).empty()) {
    std::fprintf(stderr, "quillet-dump: no record owns handle %s; %zu pairs point at it\n",
                 HandleText(handle).c_str(), referrers.size());
    return kExitHandleNotOwned;
  }
  for (const HandleOwner& owner : index.Owners(handle))
    PrintLine("record\t" + std::to_string(LineOfPair(owner.record)) + "\t" +
              Utf8(RecordTypeOf(buffer, owner.record)));
  for (const int pair : referrers)
    PrintLine("ref\t" + std::to_string(LineOfPair(pair)) + "\t" +
              std::to_string(buffer.GetCode(pair)) + "\t" + Utf8(RecordTypeOf(buffer, pair)));
  return 0;
}

int PrintCheck(const TDXFBuffer& buffer) {
  HandleIndex index;
  index.Build(buffer);
  const std::vector<CheckProblem> problems = CheckDrawing(buffer, index);
  for (const CheckProblem& problem : problems)
    PrintLine(std::to_string(LineOfPair(problem.pair)) + "\t" +
              std::string(CheckKindName(problem.kind)) + "\t" + Utf8(problem.text));
  return problems.empty() ? 0 : kExitProblemsFound;
}

}  // namespace

bool TakeHandleOption(int argc, char** argv, int& a, HandleOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg != "--handle" && arg != "--check") return false;
  if (options.Requested()) {
    error = "only one of --handle and --check may be given";
  } else if (arg == "--check") {
    options.check = true;
  } else if (a + 1 >= argc) {
    error = "--handle needs a handle";
  } else if (!ParseHandle(argv[++a], options.handle)) {
    error =
        "--handle needs a hexadecimal handle of 1 to 16 digits, not '" + std::string(argv[a]) + "'";
  } else {
    options.lookUp = true;
  }
  return true;
}

int RunHandleOption(const HandleOptions& options, const TDXFBuffer& buffer) {
  return options.check ? PrintCheck(buffer) : PrintHandle(options.handle, buffer);
}

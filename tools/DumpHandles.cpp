// DumpHandles.cpp - the handle options of quillet-dump.
//
// --handle H prints "record<TAB>LINE<TAB>TYPE" for each record that owns H (more than one
// when the handle is duplicated), then "ref<TAB>LINE<TAB>CODE<TAB>TYPE" for each pair that
// points at H, in file order. --check prints "LINE<TAB>KIND<TAB>TEXT" per problem. Lines
// are the group-code lines of the pairs; the lines go through DumpOutput, so --json and
// --raw apply to them as to the listing.
#include "tools/DumpHandles.h"

#include <cstdio>       // std::fprintf, stderr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/check/DrawingCheck.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "tools/DumpOutput.h"

const char kHandleUsage[] =
    "  --handle H    print the record that owns handle H (hexadecimal) and the pairs that\n"
    "                point at it\n"
    "  --check       print the problems of the drawing: LINE, KIND and a description\n";

namespace {

int PrintHandle(std::uint64_t handle, Document& document, DumpOutput& out) {
  const TDXFBuffer& buffer = document.Buffer();
  const HandleIndex& index = document.ReadyHandles();
  const std::vector<int> referrers = ReferringPairs(buffer, handle);
  if (index.Owners(handle).empty()) {
    std::fprintf(stderr, "quillet-dump: no record owns handle %s; %zu pairs point at it\n",
                 HandleText(handle).c_str(), referrers.size());
    return kExitHandleNotOwned;
  }
  for (const HandleOwner& owner : index.Owners(handle)) {
    DumpLine line(out);
    line.Text("kind", "record");
    line.Number("line", LineOfPair(owner.record));
    line.Value("type", RecordTypeOf(buffer, owner.record));
    line.End();
  }
  for (const int pair : referrers) {
    DumpLine line(out);
    line.Text("kind", "ref");
    line.Number("line", LineOfPair(pair));
    line.Number("code", buffer.GetCode(pair));
    line.Value("type", RecordTypeOf(buffer, pair));
    line.End();
  }
  return 0;
}

int PrintCheck(Document& document, DumpOutput& out) {
  const std::vector<CheckProblem> problems =
      CheckDrawing(document.Buffer(), document.ReadyHandles());
  for (const CheckProblem& problem : problems) {
    DumpLine line(out);
    line.Number("line", LineOfPair(problem.pair));
    line.Text("kind", CheckKindName(problem.kind));
    line.Program("text", problem.text);
    line.End();
  }
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

int RunHandleOption(const HandleOptions& options, Document& document, DumpOutput& out) {
  return options.check ? PrintCheck(document, out) : PrintHandle(options.handle, document, out);
}

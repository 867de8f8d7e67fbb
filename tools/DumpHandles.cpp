// DumpHandles.cpp - the handle options of quillet-dump.
//
// --handle H prints "record<TAB>LINE<TAB>TYPE" for each record that owns H (more than one
// when the handle is duplicated), then "ref<TAB>LINE<TAB>CODE<TAB>TYPE" for each pair that
// points at H, in file order. --check prints "LINE<TAB>KIND<TAB>TEXT" per problem;
// --repair prints the same per repair (what it did), then per problem left (and why). Lines
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
#include "model/text/TextCodec.h"
#include "tools/DumpOutput.h"
#include "tools/DumpTables.h"

const char kHandleUsage[] =
    "  --handle H    print the record that owns handle H (hexadecimal) and the pairs that\n"
    "                point at it\n"
    "  --check       print the problems of the drawing: LINE, KIND and a description\n"
    "  --repair OUT  repair them as the editor does, print each repair, then each problem\n"
    "                left and why (LINE, KIND, TEXT), save to OUT\n";

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

void PrintProblem(DumpOutput& out, int pair, CheckKind kind, const std::string& text) {
  DumpLine line(out);
  line.Number("line", LineOfPair(pair));
  line.Text("kind", CheckKindName(kind));
  line.Program("text", text);
  line.End();
}

int PrintCheck(Document& document, DumpOutput& out) {
  const std::vector<CheckProblem> problems =
      CheckDrawing(document.Buffer(), document.ReadyHandles());
  for (const CheckProblem& problem : problems)
    PrintProblem(out, problem.pair, problem.kind, problem.text);
  return problems.empty() ? 0 : kExitProblemsFound;
}

int Repair(const std::string& outFile, Document& document, DumpOutput& out) {
  if (const int refused = RefuseCutDrawing(document.Buffer()); refused != 0) return refused;
  RepairPlan plan = PlanRepair(document.Buffer(), document.ReadyHandles(),
                               CheckDrawing(document.Buffer(), document.ReadyHandles()));
  const std::vector<RepairLine> repaired = plan.repaired, left = plan.left;
  const ChangeReport report = document.Repair(std::move(plan));
  if (!report.Ok() && report.error.code != ErrorCode::NothingToDo) {
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(report.error.message).c_str());
    return kExitRepairFailed;
  }
  for (const RepairLine& line : repaired) PrintProblem(out, line.pair, line.kind, line.text);
  for (const RepairLine& line : left) PrintProblem(out, line.pair, line.kind, line.text);
  out.Flush();
  if (const int saved = SaveDrawingTo(document, outFile); saved != 0) return saved;
  return left.empty() ? 0 : kExitProblemsFound;
}

}  // namespace

bool TakeHandleOption(int argc, char** argv, int& a, HandleOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg != "--handle" && arg != "--check" && arg != "--repair") return false;
  if (options.Requested()) {
    error = "only one of --handle, --check and --repair may be given";
  } else if (arg == "--check") {
    options.check = true;
  } else if (a + 1 >= argc) {
    error = std::string(arg) + (arg == "--repair" ? " needs OUT" : " needs a handle");
  } else if (arg == "--repair") {
    options.repair = true;
    options.outFile = argv[++a];
  } else if (!ParseHandle(argv[++a], options.handle)) {
    error =
        "--handle needs a hexadecimal handle of 1 to 16 digits, not '" + std::string(argv[a]) + "'";
  } else {
    options.lookUp = true;
  }
  return true;
}

int RunHandleOption(const HandleOptions& options, Document& document, DumpOutput& out) {
  if (options.repair) return Repair(options.outFile, document, out);
  return options.check ? PrintCheck(document, out) : PrintHandle(options.handle, document, out);
}

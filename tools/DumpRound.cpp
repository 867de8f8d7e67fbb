// DumpRound.cpp - the --round option of quillet-dump.
//
// COORD and ANGLE are each STEP/K, STEP a text of the tab's step list and K its rounding
// digit 0 to 15, or "none" for "補正しない" (the digit then reads as the tab's default,
// as the box would show it). The report is what the tab shows: the three panel lines,
// then the summary message.
#include "tools/DumpRound.h"

#include <algorithm>    // std::find
#include <cstdio>       // std::fprintf, stderr
#include <string_view>  // std::string_view

#include "model/text/MyStringLib.h"
#include "model/text/TextCodec.h"
#include "tools/DumpTables.h"

const char kRoundUsage[] =
    "  --round COORD ANGLE OUT\n"
    "                snap untidy coordinates/distances (COORD) and angles (ANGLE) of\n"
    "                ENTITIES as the editor's tool tab does, print its report, save to\n"
    "                OUT; each is STEP/K (STEP 0, 0.5, 0.1, 0.05, 0.01 or 0.005, K 0 to\n"
    "                15, e.g. 0.5/3) or none\n";

namespace {

void PrintLine(DumpOutput& out, const std::string& cp932) {
  DumpLine line(out);
  line.Program("report", cp932);
  line.End();
}

// Reads "STEP/K" or "none" into a step index and a rounding-digit index.
bool ParsePassChoice(std::string_view text, int defaultDigit, int& step, int& digit) {
  if (text == "none") {
    step = kNoCorrectionIndex;
    digit = defaultDigit;
    return true;
  }
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  const auto& steps = StepItems();
  const auto found =
      std::find(steps.begin(), steps.begin() + kNoCorrectionIndex, text.substr(0, slash));
  if (found == steps.begin() + kNoCorrectionIndex) return false;
  int k = 0;
  if (!ParseInt32(text.substr(slash + 1), k) || k < 0 || k >= kRoundDigitCount) return false;
  step = static_cast<int>(found - steps.begin());
  digit = k;
  return true;
}

}  // namespace

bool TakeRoundOption(int argc, char** argv, int& a, RoundOptions& options, std::string& error) {
  if (std::string_view(argv[a]) != "--round") return false;
  if (options.requested) {
    error = "--round may be given once";
    return true;
  }
  if (a + 3 >= argc) {
    error = "--round needs COORD ANGLE OUT";
    return true;
  }
  RoundChoice& choice = options.choice;
  const char* coordinate = argv[++a];
  const char* angle = argv[++a];
  if (!ParsePassChoice(coordinate, kDefaultRoundChoice.roundDigit, choice.validDigit,
                       choice.roundDigit) ||
      !ParsePassChoice(angle, kDefaultRoundChoice.angRoundDigit, choice.angValidDigit,
                       choice.angRoundDigit)) {
    error = std::string("--round needs STEP/K or none for COORD and ANGLE, not '") + coordinate +
            "' '" + angle + "'";
    return true;
  }
  options.outFile = argv[++a];
  options.requested = true;
  return true;
}

int RunRoundOption(const RoundOptions& options, TDXFBuffer& buffer, DumpOutput& out) {
  if (const int refused = RefuseCutDrawing(buffer); refused != 0) return refused;
  const RoundOutcome outcome = RoundEntities(buffer, options.choice);
  if (!outcome.error.empty()) {
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(outcome.error).c_str());
    return kExitNotANumber;
  }
  const std::string summary = RoundSummary(outcome.count);
  PrintLine(out, summary);
  if (outcome.tooLarge > 0) PrintLine(out, RoundTooLargeLine(outcome.tooLarge));
  for (const std::string& line : RoundChoiceLines(options.choice)) PrintLine(out, line);
  PrintLine(out, summary);
  out.Flush();
  return SaveDrawingTo(buffer, options.outFile);
}

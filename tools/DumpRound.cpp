// DumpRound.cpp - the --round option of quillet-dump.
//
// COORD and ANGLE are each STEP/K, STEP a text of the tab's step list and K its rounding
// digit 0 to 15, or "none" for "補正しない" (the digit then reads as the tab's default,
// as the box would show it). The report is what the tab shows: the three panel lines,
// then the summary message.
#include "tools/DumpRound.h"

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

// Reads "STEP/K" or "none" into a pass: the step as its factor, K as the digit. "none"
// skips the pass; its digit is the tab's default, as the box would show it.
bool ParsePass(std::string_view text, int defaultDigit, RoundPass& pass) {
  if (text == "none") {
    pass = {0, defaultDigit};
    return true;
  }
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  const int factor = StepFactorOfText(text.substr(0, slash));
  int k = 0;
  if (factor <= 0 || !ParseInt32(text.substr(slash + 1), k) || k < 0 || k >= kRoundDigitCount)
    return false;
  pass = {factor, k};
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
  RoundSettings& settings = options.settings;
  const char* coordinate = argv[++a];
  const char* angle = argv[++a];
  if (!ParsePass(coordinate, kDefaultRoundChoice.roundDigit, settings.coordinates) ||
      !ParsePass(angle, kDefaultRoundChoice.angRoundDigit, settings.angles)) {
    error = std::string("--round needs STEP/K or none for COORD and ANGLE, not '") + coordinate +
            "' '" + angle + "'";
    return true;
  }
  options.outFile = argv[++a];
  options.requested = true;
  return true;
}

// The report is the tool tab's: its panel lines (after the blank one), then its summary.
int RunRoundOption(const RoundOptions& options, Document& document, DumpOutput& out) {
  if (const int refused = RefuseCutDrawing(document.Buffer()); refused != 0) return refused;
  const ChangeReport rounded = document.Round(options.settings);
  if (rounded.error.code == ErrorCode::NotANumber) {
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(rounded.error.message).c_str());
    return kExitNotANumber;
  }
  for (std::size_t k = 1; k < rounded.log.size(); ++k) PrintLine(out, rounded.log[k]);
  PrintLine(out, RoundSummary(rounded.count));
  out.Flush();
  return SaveDrawingTo(document, options.outFile);
}

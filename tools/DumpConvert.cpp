// DumpConvert.cpp - the --to-ascii and --to-binary options of quillet-dump.
#include "tools/DumpConvert.h"

#include <string_view>  // std::string_view

#include "tools/DumpTables.h"

const char kConvertUsage[] =
    "  --to-ascii OUT   write FILE as a text DXF file to OUT (CR LF, \"%3d\" codes)\n"
    "  --to-binary OUT  write FILE as a binary DXF file to OUT\n";

bool TakeConvertOption(int argc, char** argv, int& a, ConvertOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg != "--to-ascii" && arg != "--to-binary") return false;
  if (options.requested) {
    error = "only one of --to-ascii and --to-binary may be given";
    return true;
  }
  if (a + 1 >= argc) {
    error = std::string(arg) + " needs OUT";
    return true;
  }
  options.requested = true;
  options.form = arg == "--to-binary" ? DXFForm::Binary : DXFForm::Text;
  options.outFile = argv[++a];
  return true;
}

int RunConvertOption(const ConvertOptions& options, TDXFBuffer& buffer) {
  if (const int refused = RefuseCutDrawing(buffer); refused != 0) return refused;
  buffer.SaveForm = options.form;
  buffer.NormaliseOnSave = true;  // a text file written as text takes the text form too
  return SaveDrawingTo(buffer, options.outFile);
}

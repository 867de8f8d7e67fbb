// MyDXFClassIndex.cpp - the buffer's index: sections, tables, header variables, handles.
//
// BuildIndex runs once per load and after names changed; it marks the section and table
// records for the grid's colours and reads the header variables the program shows.
#include "model/buffer/MyDXFClass.h"

#include "model/buffer/MyDXFClass_p.h"
#include "model/text/MyStringLib.h"

void TDXFBuffer::ResetIndex() {
  HeaderStart = HeaderEnd = ClassesStart = ClassesEnd = TablesStart = TablesEnd = 0;
  BlocksStart = BlocksEnd = EntitiesStart = EntitiesEnd = ObjectsStart = ObjectsEnd = 0;
  EofIndex = 0;
  ResetHeaderValues();
  VportTableIndex = LtypeTableIndex = LayerTableIndex = StyleTableIndex = ViewTableIndex = 0;
  UcsTableIndex = AppidTableIndex = DimstyleTableIndex = BlockRecordTableIndex = 0;
  BlockCount = LayerCount = LtypeCount = 0;
}

void TDXFBuffer::ResetHeaderValues() {
  AcadVer.clear();
  AcadVerNo = 0;
  DwgCodePage.clear();
  HandSeed = HandSeedIndex = 0;
  CLayer.clear();
  CLayerIndex = 0;
  LtScale = 0;
  LtScaleIndex = 0;
  CeltScale = 0;
  CeltScaleIndex = 0;
  CeltType.clear();
  CeltTypeIndex = 0;
}

namespace {

const DXFSectionField* FindSection(std::string_view name) {
  for (const DXFSectionField& section : kDXFSections)
    if (section.name == name) return &section;
  return nullptr;
}

}  // namespace

const std::array<DXFSectionField, 6> kDXFSections = {{
    {"HEADER", &TDXFBuffer::HeaderStart, &TDXFBuffer::HeaderEnd},
    {"CLASSES", &TDXFBuffer::ClassesStart, &TDXFBuffer::ClassesEnd},
    {"TABLES", &TDXFBuffer::TablesStart, &TDXFBuffer::TablesEnd},
    {"BLOCKS", &TDXFBuffer::BlocksStart, &TDXFBuffer::BlocksEnd},
    {"ENTITIES", &TDXFBuffer::EntitiesStart, &TDXFBuffer::EntitiesEnd},
    {"OBJECTS", &TDXFBuffer::ObjectsStart, &TDXFBuffer::ObjectsEnd},
}};

const std::array<DXFTableField, 9> kDXFTables = {{
    {"VPORT", "VPORT", &TDXFBuffer::VportTableIndex},
    {"LTYPE", "LTYPE", &TDXFBuffer::LtypeTableIndex},
    {"LAYER", "LAYER", &TDXFBuffer::LayerTableIndex},
    {"STYLE", "STYLE", &TDXFBuffer::StyleTableIndex},
    {"VIEW", "VIEW", &TDXFBuffer::ViewTableIndex},
    {"UCS", "UCS", &TDXFBuffer::UcsTableIndex},
    {"APPID", "APPID", &TDXFBuffer::AppidTableIndex},
    {"DIMSTYLE", "DIMSTYLE", &TDXFBuffer::DimstyleTableIndex},
    {"BLOCK_RECORD", "BLOCKREC", &TDXFBuffer::BlockRecordTableIndex},
}};

void TDXFBuffer::BuildIndex() {
  ResetIndex();
  m_staleIndex = IndexStale::None;
  if (m_size == 0) return;  // nothing loaded yet
  Storage& s = *m_store;
  const DXFSectionField* current = nullptr;  // the section the last SECTION pair named
  int lastUsed = 0;
  for (int i = 0; i < PairCount; ++i) {
    std::uint8_t& mark = s.marks[i];
    mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsNon);
    if (s.Code(i) != kRecordStartCode) {
      lastUsed = i;
      continue;
    }
    mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsObject);
    const std::string_view t = TrimView(ValueView(i));
    if (!t.empty()) lastUsed = i;
    if (t == "SECTION") {
      mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsSection);
      current = FindSection(TrimView(ValueView(i + 1)));
      if (current) this->*(current->start) = i;
    } else if (t == "ENDSEC") {
      if (current) this->*(current->end) = i;
    } else if (t == "EOF") {
      EofIndex = i;
    }
  }
  if (EofIndex == 0) EofIndex = lastUsed;

  RefreshHeaderValues();

  std::string table;
  for (int i = TablesStart; i <= TablesEnd; ++i) {
    if (s.Code(i) != kRecordStartCode) continue;
    const std::string_view t = TrimView(ValueView(i));
    if (t == "TABLE") {
      table = Trim(ValueView(i + 1));
      for (const DXFTableField& field : kDXFTables)
        if (field.name == table) this->*(field.index) = i;
      s.marks[i] = static_cast<std::uint8_t>((s.marks[i] & ~kStateMask) | dsSubsection);
    } else if (t == "LAYER" && table == "LAYER") {
      ++LayerCount;
    } else if (t == "LTYPE" && table == "LTYPE") {
      ++LtypeCount;
    }
  }

  for (int i = BlocksStart; i <= BlocksEnd; ++i) {
    if (s.Code(i) != kRecordStartCode || TrimView(ValueView(i)) != "BLOCK") continue;
    s.marks[i] = static_cast<std::uint8_t>((s.marks[i] & ~kStateMask) | dsSubsection);
    ++BlockCount;
  }
  m_clearedAfterEof = ClearPairsAfterEof();
  s.startsValidBlocks = 0;
  RebuildRecordStarts(static_cast<std::size_t>(m_size) >> Storage::kStartBlockBits);
}

void TDXFBuffer::RefreshHeaderValues() {
  ResetHeaderValues();
  std::string variable;
  for (int i = HeaderStart; i <= HeaderEnd; ++i) {
    if (m_store->Code(i) == kVariableCode) variable = Trim(ValueView(i));
    ReadHeaderValue(variable, i);
  }
}

// Returns whether a cleared pair held something.
bool TDXFBuffer::ClearPairsAfterEof() {
  bool changed = false;
  for (int i = EofIndex + 1; i < PairCount; ++i) {
    changed = changed || GetCode(i) != 0 || !ValueView(i).empty();
    ClearPair(i);
  }
  return changed;
}

// Reads the header variable named `variable` from pair i when its code is the one that
// variable keeps its value in. Values that do not convert are taken as 0.
bool TDXFBuffer::ReadHeaderValue(const std::string& variable, int i) {
  const int code = m_store->Code(i);
  const std::string value = Trim(ValueView(i));
  if (variable == "$ACADVER" && code == kAcadVerCode) {
    AcadVer = value;
    AcadVerNo = FloorOfNumber(AcadVer);
  } else if (variable == "$DWGCODEPAGE" && code == kSecondNameCode) {
    DwgCodePage = value;
  } else if (variable == "$HANDSEED" && code == kHandleCode) {
    if (!ParseHex32(value, HandSeed)) HandSeed = 0;
    HandSeedIndex = i;
  } else if (variable == "$CLAYER" && code == kLayerCode) {
    CLayer = value;
    CLayerIndex = i;
  } else if (variable == "$LTSCALE" && code == kScaleCode) {
    if (!ParseDouble(value, LtScale)) LtScale = 0;
    LtScaleIndex = i;
  } else if (variable == "$CELTSCALE" && code == kScaleCode) {
    if (!ParseDouble(value, CeltScale)) CeltScale = 0;
    CeltScaleIndex = i;
  } else if (variable == "$CELTYPE" && code == kLinetypeCode) {
    CeltType = value;
    CeltTypeIndex = i;
  } else {
    return false;
  }
  return true;
}

// ------------------------------------------------------------------ text encoding

// AC1021 (AutoCAD 2007) made DXF files UTF-8.
constexpr int kFirstUtf8Version = 1021;

void TDXFBuffer::DetectEncoding() {
  if (AcadVerNo >= kFirstUtf8Version) {
    Encoding = TextEncoding::Utf8;
    EncodingFrom = EncodingSource::AcadVer;
    return;
  }
  const std::optional<TextEncoding> declared = EncodingOfCodePage(DwgCodePage);
  // A multi-byte declaration is trusted: Shift-JIS and the other double-byte code pages
  // rarely pass for UTF-8, but short texts can. Writers that declare a single-byte page
  // and write UTF-8 are common.
  if (declared && !IsSingleByte(*declared)) {
    Encoding = *declared;
    EncodingFrom = EncodingSource::DwgCodePage;
    return;
  }
  const Storage& s = *m_store;
  if (IsUtf8WithMultiByteSequence(std::string_view(s.text.get(), s.textSize))) {
    Encoding = TextEncoding::Utf8;
    EncodingFrom = EncodingSource::Utf8Detected;
    return;
  }
  Encoding = declared.value_or(TextEncoding::Cp932);
  EncodingFrom = declared ? EncodingSource::DwgCodePage : EncodingSource::Default;
}

void TDXFBuffer::SetEncoding(TextEncoding encoding) {
  Encoding = encoding;
  EncodingFrom = EncodingSource::Manual;
}

// ------------------------------------------------------------------ handles

int TDXFBuffer::FindHandle(int handle, int start) const {
  const Storage& s = *m_store;
  const int end = std::min(ObjectsEnd, m_size);
  for (int i = std::max(start, 0); i < end; ++i) {
    if (s.Code(i) != kHandleCode) continue;
    int value = 0;
    if (!ParseHex32(TrimView(ValueView(i)), value) || value != handle) continue;
    int r = i;
    while (r > 0 && s.Code(r) != kRecordStartCode) --r;
    return r;
  }
  return -1;
}

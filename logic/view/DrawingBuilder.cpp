// DrawingBuilder.cpp - turns the entities of a layout into the shapes the view draws.
//
// Each record is read once into its pairs; a decoder per entity type turns them into
// shapes through a ShapeWriter, which maps every point from the entity's coordinates
// (its OCS, then the block references around it) into the layout's.
#include "logic/view/DrawingBuilder.h"

#include <algorithm>      // std::clamp, std::min, std::reverse
#include <array>          // std::array
#include <charconv>       // std::from_chars
#include <cmath>          // std::cos, std::sin, std::abs
#include <cstdint>        // std::uintptr_t
#include <map>            // std::map
#include <memory>         // std::unique_ptr
#include <numbers>        // std::numbers::pi
#include <set>            // std::set
#include <thread>         // std::thread::hardware_concurrency
#include <unordered_map>  // std::unordered_map

#include "logic/rounding/ThreadedWalk.h"
#include "logic/view/CurveMath.h"
#include "logic/view/TextFormat.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/TextCodec.h"

#ifdef __linux__
#include <sys/mman.h>  // madvise
#endif

namespace {

constexpr int kMaxNesting = 16;
constexpr int kMaxArrayCopies = 10000;  // columns x rows of one INSERT drawn at most
constexpr int kSplineSamples = 8;       // points per control or fit point
constexpr int kCancelCheckRecords = 4096;
constexpr int kPairsPerPart = 1 << 18;  // a smaller ENTITIES section is built on one thread
constexpr long long kMaxParts = 8;
constexpr double kDegree = std::numbers::pi / 180;
constexpr double kFullTurn = 2 * std::numbers::pi;

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Asks the kernel to back the untouched memory at [data, data + bytes) with huge pages:
// the shapes of a large drawing fill tens of megabytes, and faulting them in page by page
// took a fifth of the build.
void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef __linux__
  const auto from = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

// Makes room for at least `least` items in v, at least doubling it as push_back would,
// in memory advised for huge pages before anything is copied into it.
template <class T>
void Reserve(std::vector<T>& v, std::size_t least) {
  if (least <= v.capacity()) return;
  std::vector<T> larger;
  larger.reserve(std::max(least, 2 * v.capacity()));
  AdviseHugePages(larger.data(), larger.capacity() * sizeof(T));
  larger.insert(larger.end(), v.begin(), v.end());
  v.swap(larger);
}

// Group codes of the entities read here.
constexpr int kTextCode = 1, kMoreTextCode = 3, kBlockNameCode = 2;
constexpr int kX = 10, kX2 = 11, kX3 = 12, kX4 = 13, kY = 20, kZ = 30;
constexpr int kElevationCode = 38, kHeightCode = 40, kWidthFactorCode = 41, kBulgeCode = 42;
constexpr int kRotationCode = 50, kPaperSpaceCode = 67, kAttributesFollowCode = 66;
constexpr int kExtrusionX = 210, kExtrusionY = 220, kExtrusionZ = 230;

// Tells whether a record of this type belongs to the POLYLINE or INSERT before it.
bool IsFollower(std::string_view type) {
  return type == "VERTEX" || type == "ATTRIB" || type == "SEQEND";
}

struct Pair {
  int code;
  std::string_view value;
};

double ToReal(std::string_view text, double fallback) {
  text = TrimView(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = fallback;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && std::isfinite(value) ? value : fallback;
}

int ToInt(std::string_view text, int fallback) {
  text = TrimView(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  int value = fallback;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() ? value : fallback;
}

// The pairs of one record, with look-ups by code.
class Record {
 public:
  int start = 0;
  std::string_view type;
  std::vector<Pair> pairs;

  void Read(const TDXFBuffer& b, int at) {
    start = at;
    type = TrimView(b.ValueView(at));
    pairs.clear();
    for (int i = at + 1; b.GetCode(i) != kRecordStartCode; ++i)
      pairs.push_back({b.GetCode(i), b.ValueView(i)});
  }
  const Pair* Find(int code) const {
    for (const Pair& pair : pairs)
      if (pair.code == code) return &pair;
    return nullptr;
  }
  double Real(int code, double fallback = 0) const {
    const Pair* pair = Find(code);
    return pair ? ToReal(pair->value, fallback) : fallback;
  }
  int Int(int code, int fallback = 0) const {
    const Pair* pair = Find(code);
    return pair ? ToInt(pair->value, fallback) : fallback;
  }
  std::string_view Text(int code) const {
    const Pair* pair = Find(code);
    return pair ? pair->value : std::string_view();
  }
  bool Has(int code) const { return Find(code) != nullptr; }
  Vec2 Point(int xCode) const { return {Real(xCode), Real(xCode + 10)}; }
  Vec3 Point3(int xCode) const { return {Real(xCode), Real(xCode + 10), Real(xCode + 20)}; }
  Vec3 Extrusion() const { return {Real(kExtrusionX), Real(kExtrusionY), Real(kExtrusionZ, 1)}; }
};

Vec2 Flat(Vec3 p) {
  return {p.x, p.y};
}

std::uint32_t RgbOfWindowsColor(int color) {
  const auto c = static_cast<std::uint32_t>(color);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Where a shape goes and what it carries: the map into the layout, the record the
// layout holds, and the colour ByBlock stands for.
struct Placement {
  Affine map;
  int record = -1;  // -1: each entity is its own record
  std::uint32_t inherited = kInheritedColor;
  int depth = 0;
};

// Writes shapes into a layout, relative to its base point (the first point written).
class ShapeWriter {
 public:
  ShapeWriter(LayoutGeometry& out, bool baseAtOrigin) : m_out(out), m_hasBase(baseAtOrigin) {}

  void Begin(ShapeKind kind, int record, int source, std::uint32_t color) {
    ViewShape shape;
    shape.kind = kind;
    shape.record = record;
    shape.source = source;
    shape.color = color;
    shape.first = static_cast<std::uint32_t>(m_out.points.size());
    Reserve(m_out.shapes, m_out.shapes.size() + 1);
    m_out.shapes.push_back(shape);
  }
  void Point(Vec2 p) {
    if (!m_hasBase) {
      m_out.baseX = p.x;
      m_out.baseY = p.y;
      m_hasBase = true;
    }
    const ViewPoint v{static_cast<float>(p.x - m_out.baseX), static_cast<float>(p.y - m_out.baseY)};
    Add(v);
    m_out.shapes.back().box.Add(v);
  }
  // A vector or a parameter pair: no base, no box.
  void Raw(Vec2 v) { Add({static_cast<float>(v.x), static_cast<float>(v.y)}); }
  void Break() { Add(RunBreak()); }
  void End() {
    ViewShape& shape = m_out.shapes.back();
    shape.count = static_cast<std::uint32_t>(m_out.points.size()) - shape.first;
    if (shape.kind == ShapeKind::Ellipse) shape.box = EllipseBox(&m_out.points[shape.first]);
    if (shape.kind == ShapeKind::Text) {
      ViewPoint corners[4];
      TextCorners(m_out.texts[shape.first], m_out.textBytes, corners);
      for (const ViewPoint corner : corners) shape.box.Add(corner);
    }
    if (shape.box.Empty() && shape.kind != ShapeKind::Text) {
      m_out.points.resize(shape.first);
      m_out.shapes.pop_back();
      return;
    }
    m_out.extents.Add(shape.box);
  }
  void Text(ViewText text, std::string_view utf8) {
    text.start = static_cast<std::uint32_t>(m_out.textBytes.size());
    text.length = static_cast<std::uint32_t>(utf8.size());
    m_out.textBytes += utf8;
    m_out.shapes.back().first = static_cast<std::uint32_t>(m_out.texts.size());
    m_out.texts.push_back(text);
  }
  LayoutGeometry& Out() { return m_out; }
  // Makes the next point written the base.
  bool HasBase() const { return m_hasBase; }
  void SetBase(Vec2 p) {
    m_out.baseX = p.x;
    m_out.baseY = p.y;
    m_hasBase = true;
  }

 private:
  void Add(ViewPoint p) {
    Reserve(m_out.points, m_out.points.size() + 1);
    m_out.points.push_back(p);
  }

  LayoutGeometry& m_out;
  bool m_hasBase;
};

// A run of pairs [from, to).
struct PairRange {
  int from = 0, to = 0;
};

// Returns the pair after the section that starts at pair i when the index knows it (the
// index keeps the last section of each name), else i.
int AfterKnownSection(const TDXFBuffer& b, int i) {
  for (const DXFSectionField& section : kDXFSections)
    if (b.*section.start == i && b.*section.end > i) return b.*section.end;
  return i;
}

// Returns the ENTITIES sections in file order. The index knows the last one; a writer
// that splits its entities leaves earlier ones between the sections it knows.
std::vector<PairRange> EntitiesSections(const TDXFBuffer& b) {
  std::vector<PairRange> sections;
  for (int i = 0; i < b.EntitiesStart;) {
    if (const int after = AfterKnownSection(b, i); after != i) {
      i = after;
      continue;
    }
    const bool entities = b.GetCode(i) == kRecordStartCode &&
                          TrimView(b.ValueView(i)) == "SECTION" &&
                          TrimView(b.ValueView(i + 1)) == "ENTITIES";
    int next = NextRecord(b, i);
    if (entities) {
      while (next < b.EntitiesStart && TrimView(b.ValueView(next)) != "ENDSEC")
        next = NextRecord(b, next);
      sections.push_back({i, next});
    }
    i = next;
  }
  if (b.EntitiesEnd > b.EntitiesStart) sections.push_back({b.EntitiesStart, b.EntitiesEnd});
  return sections;
}

struct LayerStyle {
  std::uint32_t color = kForegroundColor;
  bool hidden = false;
};

struct BlockDefinition {
  int start = 0;  // the BLOCK record
  int end = 0;    // its ENDBLK record
  Vec2 base;
};

class LayoutBuilder {
 public:
  LayoutBuilder(const TDXFBuffer& b, const TDXFLayerTable& layers, const std::atomic<bool>* cancel)
      : m_b(b), m_cancel(cancel) {
    for (const TDXFLayer& layer : layers.Layers) {
      LayerStyle style;
      style.color = ColorOf(std::abs(layer.Color), layer.TrueColor);
      style.hidden = layer.Color < 0 || (layer.Flags & 1) != 0;
      m_layers[layer.Name] = style;
    }
    IndexBlocks();
  }

  // Builds the model-space entities of [from, to) of ENTITIES.
  void BuildModel(int from, int to, LayoutGeometry& out) {
    ShapeWriter writer(out, false);
    BuildRange(from, to, 0, Placement{}, writer);
  }
  void BuildPaper(LayoutGeometry& out) {
    ShapeWriter writer(out, false);
    if (const auto block = m_blocks.find(kPaperSpace); block != m_blocks.end())
      BuildRange(block->second.start, block->second.end, -1, Placement{}, writer);
    for (const PairRange section : EntitiesSections(m_b))
      BuildRange(section.from, section.to, 1, Placement{}, writer);
  }
  bool BuildBlock(std::string_view name, LayoutGeometry& out) {
    const auto block = m_blocks.find(name);
    if (block == m_blocks.end()) return false;
    ShapeWriter writer(out, false);
    Placement place;
    place.inherited = kForegroundColor;
    BuildRange(block->second.start, block->second.end, -1, place, writer);
    return true;
  }
  bool Cancelled() const { return m_cancelled; }

 private:
  std::uint32_t ColorOf(int aci, int trueColor) const {
    if (trueColor < 0 && aci == 7) return kForegroundColor;
    return RgbOfWindowsColor(m_b.DisplayColor(aci, trueColor));
  }

  void IndexBlocks() {
    Record record;
    for (int i = m_b.BlocksStart; i < m_b.BlocksEnd; i = NextRecord(m_b, i)) {
      if (m_b.GetCode(i) != kRecordStartCode || TrimView(m_b.ValueView(i)) != "BLOCK") continue;
      record.Read(m_b, i);
      BlockDefinition block;
      block.start = i;
      block.base = record.Point(kX);
      block.end = i;
      while (block.end < m_b.BlocksEnd && TrimView(m_b.ValueView(block.end)) != "ENDBLK")
        block.end = NextRecord(m_b, block.end);
      m_blocks.try_emplace(record.Text(kBlockNameCode), block);
      i = block.end;
    }
  }

  bool ShouldStop() {
    if (m_cancel && (++m_recordsSeen % kCancelCheckRecords) == 0 && m_cancel->load())
      m_cancelled = true;
    return m_cancelled;
  }

  // Builds the entities of [from, to); paperSpace 0 keeps those without 67 = 1, 1 those
  // with it, -1 all (the content of a block).
  void BuildRange(int from, int to, int paperSpace, const Placement& place, ShapeWriter& out) {
    Record record;
    for (int i = from; i < to && !ShouldStop();) {
      const int next = NextRecord(m_b, i);
      if (m_b.GetCode(i) != kRecordStartCode) {
        i = next;
        continue;
      }
      record.Read(m_b, i);
      const bool inPaper = record.Int(kPaperSpaceCode) == 1;
      if (paperSpace < 0 || inPaper == (paperSpace == 1)) {
        i = BuildEntity(record, next, to, place, out);
      } else {
        i = next;
      }
    }
  }

  // Returns the layer style of an entity, or null when it is hidden.
  const LayerStyle* VisibleLayer(const Record& record, const Placement& place) const {
    static const LayerStyle kUnlisted;
    const std::string_view layer = record.Text(kLayerCode);
    if (place.depth > 0 && layer == "0") return &kUnlisted;  // follows the INSERT
    const auto found = m_layers.find(std::string(layer));
    const LayerStyle* style = found == m_layers.end() ? &kUnlisted : &found->second;
    return style->hidden ? nullptr : style;
  }

  std::uint32_t EntityColor(const Record& record, const LayerStyle& layer,
                            const Placement& place) const {
    const int trueColor = record.Int(kTrueColorCode, -1);
    const int aci = record.Int(kColorCode, 256);
    if (trueColor >= 0) return ColorOf(aci, trueColor);
    const bool layerZeroInBlock = place.depth > 0 && record.Text(kLayerCode) == "0";
    if (aci == 0 || (aci == 256 && layerZeroInBlock)) return place.inherited;
    if (aci == 256) return layer.color;
    return ColorOf(std::abs(aci), -1);
  }

  // Decodes the entity at record.start and returns the record after it and its followers.
  int BuildEntity(const Record& record, int next, int to, const Placement& place,
                  ShapeWriter& out) {
    const LayerStyle* layer = VisibleLayer(record, place);
    if (record.type == "POLYLINE" || record.type == "INSERT") {
      const int afterFollowers = FollowersEnd(record, next, to);
      if (layer) BuildWithFollowers(record, next, afterFollowers, *layer, place, out);
      return afterFollowers;
    }
    if (!layer) return next;
    const std::uint32_t color = EntityColor(record, *layer, place);
    const int owner = place.record >= 0 ? place.record : record.start;
    m_shape = {owner, record.start, color};
    Decode(record, place, out);
    return next;
  }

  // The VERTEX or ATTRIB records after a POLYLINE or INSERT run to their SEQEND.
  int FollowersEnd(const Record& record, int next, int to) const {
    if (record.type == "INSERT" && record.Int(kAttributesFollowCode) != 1) return next;
    int i = next;
    while (i < to &&
           (TrimView(m_b.ValueView(i)) == "VERTEX" || TrimView(m_b.ValueView(i)) == "ATTRIB"))
      i = NextRecord(m_b, i);
    if (i < to && TrimView(m_b.ValueView(i)) == "SEQEND") i = NextRecord(m_b, i);
    return i;
  }

  void BuildWithFollowers(const Record& record, int next, int end, const LayerStyle& layer,
                          const Placement& place, ShapeWriter& out) {
    const int owner = place.record >= 0 ? place.record : record.start;
    m_shape = {owner, record.start, EntityColor(record, layer, place)};
    if (record.type == "POLYLINE") return Polyline(record, next, end, place, out);
    Insert(record, place, out);
    Record attribute;
    for (int i = next; i < end; i = NextRecord(m_b, i)) {
      attribute.Read(m_b, i);
      const LayerStyle* style = VisibleLayer(attribute, place);
      if (attribute.type != "ATTRIB" || !style || (attribute.Int(kFlagsCode) & 1)) continue;
      m_shape = {owner, i, EntityColor(attribute, *style, place)};
      Text(attribute, place, out, /*verticalCode=*/74);
    }
  }

  void Decode(const Record& r, const Placement& place, ShapeWriter& out) {
    const std::string_view t = r.type;
    if (t == "LINE") return Line(r, place, out);
    if (t == "POINT") return Marker(r, place, out);
    if (t == "CIRCLE" || t == "ARC") return Arc(r, place, out);
    if (t == "ELLIPSE") return Ellipse(r, place, out);
    if (t == "LWPOLYLINE") return LwPolyline(r, place, out);
    if (t == "SPLINE") return Spline(r, place, out);
    if (t == "TEXT") return Text(r, place, out, /*verticalCode=*/73);
    if (t == "MTEXT") return MText(r, place, out);
    if (t == "DIMENSION") return Dimension(r, place, out);
    if (t == "HATCH") return Hatch(r, place, out);
    if (t == "SOLID" || t == "TRACE") return Solid(r, place, out, /*filled=*/true);
    if (t == "3DFACE") return Solid(r, place, out, /*filled=*/false);
    if (t == "LEADER") return Leader(r, place, out);
    if (t == "WIPEOUT" || t == "IMAGE") return Image(r, place, out);
    if (t == "ATTDEF" || t == "VIEWPORT" || t == "SEQEND" || t == "BLOCK" || t == "ENDBLK") return;
    Marker(r, place, out);
  }

  void Begin(ShapeWriter& out, ShapeKind kind) {
    out.Begin(kind, m_shape.record, m_shape.source, m_shape.color);
  }

  void Run(const std::vector<Vec2>& points, const Affine& map, ShapeWriter& out) {
    if (points.empty()) return;
    Begin(out, ShapeKind::Lines);
    for (const Vec2 p : points) out.Point(map.Map(p));
    out.End();
  }

  void Line(const Record& r, const Placement& place, ShapeWriter& out) {
    Run({r.Point(kX), r.Point(kX2)}, place.map, out);
  }

  void Marker(const Record& r, const Placement& place, ShapeWriter& out) {
    if (!r.Has(kX)) return;
    Begin(out, ShapeKind::Marker);
    out.Point(place.map.Map(r.Point(kX)));
    out.End();
  }

  // Writes the ellipse C + U cos t + V sin t, t0 <= t <= t1, of the entity's plane.
  void WriteEllipse(const Affine& map, Vec2 c, Vec2 u, Vec2 v, double t0, double t1,
                    ShapeWriter& out) {
    Begin(out, ShapeKind::Ellipse);
    out.Point(map.Map(c));
    out.Raw(map.MapVector(u));
    out.Raw(map.MapVector(v));
    out.Raw({t0, t1});
    out.End();
  }

  void Arc(const Record& r, const Placement& place, ShapeWriter& out) {
    const Affine map = place.map.After(OcsToWorld(r.Extrusion(), r.Real(kZ)));
    const double radius = r.Real(kHeightCode);
    double t0 = 0, t1 = kFullTurn;
    if (r.type == "ARC") {
      t0 = r.Real(kRotationCode) * kDegree;
      t1 = r.Real(kRotationCode + 1) * kDegree;
      while (t1 <= t0) t1 += kFullTurn;
    }
    WriteEllipse(map, r.Point(kX), {radius, 0}, {0, radius}, t0, t1, out);
  }

  void Ellipse(const Record& r, const Placement& place, ShapeWriter& out) {
    const Vec3 n = r.Extrusion();
    const Vec3 major = r.Point3(kX2);
    const double ratio = r.Real(kHeightCode, 1);
    // The minor axis is N x major, scaled by the ratio; its XY part is what is drawn.
    const Vec2 minor{ratio * (n.y * major.z - n.z * major.y),
                     ratio * (n.z * major.x - n.x * major.z)};
    double t0 = r.Real(kWidthFactorCode), t1 = r.Real(kBulgeCode, kFullTurn);
    while (t1 <= t0) t1 += kFullTurn;
    WriteEllipse(place.map, r.Point(kX), Flat(major), minor, t0, t1, out);
  }

  void LwPolyline(const Record& r, const Placement& place, ShapeWriter& out) {
    const Affine map = place.map.After(OcsToWorld(r.Extrusion(), r.Real(kElevationCode)));
    std::vector<Vec2> vertices;
    std::vector<double> bulges;
    for (const Pair& pair : r.pairs) {
      if (pair.code == kX) vertices.push_back({ToReal(pair.value, 0), 0});
      if (pair.code == kY && !vertices.empty()) vertices.back().y = ToReal(pair.value, 0);
      if (pair.code == kX) bulges.push_back(0);
      if (pair.code == kBulgeCode && !bulges.empty()) bulges.back() = ToReal(pair.value, 0);
    }
    Run(BulgedPath(vertices, bulges, (r.Int(kFlagsCode) & 1) != 0), map, out);
  }

  static std::vector<Vec2> BulgedPath(const std::vector<Vec2>& vertices,
                                      const std::vector<double>& bulges, bool closed) {
    std::vector<Vec2> path;
    if (vertices.empty()) return path;
    path.push_back(vertices[0]);
    const std::size_t n = vertices.size();
    for (std::size_t k = 0; k + 1 < n + (closed ? 1 : 0); ++k)
      AppendBulgeArc(vertices[k], vertices[(k + 1) % n], bulges[k], path);
    return path;
  }

  void Polyline(const Record& r, int next, int end, const Placement& place, ShapeWriter& out) {
    const int flags = r.Int(kFlagsCode);
    const bool world = (flags & (8 | 16 | 64)) != 0;  // 3D polyline, polygon mesh, polyface
    const Affine map =
        world ? place.map : place.map.After(OcsToWorld(r.Extrusion(), r.Point3(kX).z));
    std::vector<Vec2> vertices;
    std::vector<double> bulges;
    std::vector<std::array<int, 4>> faces;
    Record vertex;
    for (int i = next; i < end; i = NextRecord(m_b, i)) {
      vertex.Read(m_b, i);
      if (vertex.type != "VERTEX") continue;
      const int vertexFlags = vertex.Int(kFlagsCode);
      if ((flags & 64) && (vertexFlags & 128) && !(vertexFlags & 64)) {
        faces.push_back({vertex.Int(71), vertex.Int(72), vertex.Int(73), vertex.Int(74)});
        continue;
      }
      vertices.push_back(vertex.Point(kX));
      bulges.push_back(world ? 0 : vertex.Real(kBulgeCode));
    }
    if (flags & 64) return Faces(vertices, faces, map, out);
    if (flags & 16) return Mesh(vertices, r.Int(71), r.Int(72), flags, map, out);
    Run(BulgedPath(vertices, bulges, (flags & 1) != 0), map, out);
  }

  void Faces(const std::vector<Vec2>& vertices, const std::vector<std::array<int, 4>>& faces,
             const Affine& map, ShapeWriter& out) {
    Begin(out, ShapeKind::Lines);
    const int n = static_cast<int>(vertices.size());
    for (const auto& face : faces) {
      std::vector<Vec2> ring;
      for (const int index : face)
        if (index != 0 && std::abs(index) <= n) ring.push_back(vertices[std::abs(index) - 1]);
      if (ring.empty()) continue;
      for (const Vec2 p : ring) out.Point(map.Map(p));
      out.Point(map.Map(ring[0]));
      out.Break();
    }
    out.End();
  }

  void Mesh(const std::vector<Vec2>& vertices, int m, int n, int flags, const Affine& map,
            ShapeWriter& out) {
    if (m <= 0 || n <= 0 || static_cast<std::size_t>(m) * n > vertices.size())
      return Run(vertices, map, out);
    Begin(out, ShapeKind::Lines);
    const auto at = [&](int i, int j) { return map.Map(vertices[i * n + j]); };
    for (int i = 0; i < m; ++i) {
      for (int j = 0; j < n; ++j) out.Point(at(i, j));
      if (flags & 32) out.Point(at(i, 0));
      out.Break();
    }
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < m; ++i) out.Point(at(i, j));
      if (flags & 1) out.Point(at(0, j));
      out.Break();
    }
    out.End();
  }

  void Spline(const Record& r, const Placement& place, ShapeWriter& out) {
    std::vector<Vec3> controls, fits;
    std::vector<double> knots, weights;
    for (const Pair& pair : r.pairs) {
      const double v = ToReal(pair.value, 0);
      if (pair.code == kX) controls.push_back({v, 0, 0});
      if (pair.code == kY && !controls.empty()) controls.back().y = v;
      if (pair.code == kX2) fits.push_back({v, 0, 0});
      if (pair.code == kY + 1 && !fits.empty()) fits.back().y = v;
      if (pair.code == kHeightCode) knots.push_back(v);
      if (pair.code == kWidthFactorCode) weights.push_back(v);
    }
    std::vector<Vec2> path;
    if (!AppendBSpline(r.Int(71, 3), controls, knots, weights, kSplineSamples, path))
      AppendThroughPoints(fits.empty() ? controls : fits, kSplineSamples, path);
    Run(path, place.map, out);
  }

  // Writes a text shape: anchor and axes in the entity's plane, mapped into the layout.
  void WriteText(const Affine& map, Vec2 anchor, Vec2 xAxis, Vec2 yAxis, int hAlign, int vAlign,
                 const std::string& utf8, ShapeWriter& out, double columnWidth = 0) {
    if (utf8.empty()) return;
    Begin(out, ShapeKind::Text);
    ViewText text;
    text.width = static_cast<float>(columnWidth);
    text.hAlign = static_cast<std::uint8_t>(hAlign);
    text.vAlign = static_cast<std::uint8_t>(vAlign);
    const Vec2 a = map.Map(anchor);
    if (!out.HasBase()) out.SetBase(a);
    LayoutGeometry& g = out.Out();
    text.anchor = {static_cast<float>(a.x - g.baseX), static_cast<float>(a.y - g.baseY)};
    const Vec2 x = map.MapVector(xAxis), y = map.MapVector(yAxis);
    text.xAxis = {static_cast<float>(x.x), static_cast<float>(x.y)};
    text.yAxis = {static_cast<float>(y.x), static_cast<float>(y.y)};
    int lines = 1;
    for (const char c : utf8) lines += c == '\n';
    text.lines = static_cast<std::uint8_t>(std::min(lines, 255));
    out.Text(text, utf8);
    out.End();
  }

  std::string Decoded(std::string_view bytes) const { return DecodeText(m_b.Encoding, bytes); }

  void Text(const Record& r, const Placement& place, ShapeWriter& out, int verticalCode) {
    const Affine map = place.map.After(OcsToWorld(r.Extrusion(), r.Real(kZ)));
    const double height = r.Real(kHeightCode, 1);
    const double width = r.Real(kWidthFactorCode, 1);
    const double angle = r.Real(kRotationCode) * kDegree;
    const int mirror = r.Int(71);
    int hAlign = r.Int(72), vAlign = r.Int(verticalCode);
    // Aligned (3) and fit (5) texts run from the first point; other alignments hang on
    // the second one.
    const bool fitted = hAlign == 3 || hAlign == 5;
    const bool aligned = !fitted && (hAlign != 0 || vAlign != 0) && r.Has(kX2);
    if (fitted) hAlign = vAlign = 0;
    if (hAlign == 4) hAlign = 1, vAlign = 2;  // "middle": centred both ways
    const Vec2 anchor = aligned ? r.Point(kX2) : r.Point(kX);
    const double sx = (mirror & 2) ? -1 : 1, sy = (mirror & 4) ? -1 : 1;
    const Vec2 xAxis{sx * height * width * std::cos(angle), sx * height * width * std::sin(angle)};
    const Vec2 yAxis{-sy * height * std::sin(angle), sy * height * std::cos(angle)};
    WriteText(map, anchor, xAxis, yAxis, std::min(hAlign, 2), vAlign,
              StripTextCodes(Decoded(r.Text(kTextCode))), out);
  }

  void MText(const Record& r, const Placement& place, ShapeWriter& out) {
    std::string raw;
    for (const Pair& pair : r.pairs)
      if (pair.code == kMoreTextCode || pair.code == kTextCode) raw += pair.value;
    const Vec3 n = r.Extrusion();
    const double height = r.Real(kHeightCode, 1);
    Vec2 direction;
    if (r.Has(kX2)) {
      direction = Flat(r.Point3(kX2));
    } else {
      // Without a direction vector the rotation turns the OCS X axis.
      const Affine ocs = OcsToWorld(n, 0);
      const double angle = r.Real(kRotationCode) * kDegree;
      direction = ocs.MapVector({std::cos(angle), std::sin(angle)});
    }
    const double length = std::hypot(direction.x, direction.y);
    if (length == 0)
      direction = {1, 0};
    else
      direction = {direction.x / length, direction.y / length};
    // The up axis is N x direction, its XY part.
    const Vec3 d{direction.x, direction.y, 0};
    const Vec2 up{n.y * d.z - n.z * d.y, n.z * d.x - n.x * d.z};
    const int attach = std::clamp(r.Int(71, 1), 1, 9);
    const int vAligns[] = {3, 2, 1};  // top, middle, bottom rows of the attachment
    WriteText(place.map, r.Point(kX), {direction.x * height, direction.y * height},
              {up.x * height, up.y * height}, (attach - 1) % 3, vAligns[(attach - 1) / 3],
              WrapLines(StripMTextCodes(Decoded(raw)), ColumnWidth(r, height)), out,
              ColumnWidth(r, height));
  }

  // An MTEXT's column width (41) in text heights; 0 when it has none.
  static double ColumnWidth(const Record& r, double height) {
    const double width = r.Real(kWidthFactorCode);
    return height > 0 && width > 0 ? width / height : 0;
  }

  // Draws block `name` through `map` into out, the shapes carrying place's record.
  void DrawBlock(std::string_view name, const Affine& map, const Placement& place,
                 ShapeWriter& out) {
    const LayoutGeometry* block = BlockGeometry(name, place.depth + 1);
    if (!block) return;
    Placement inner = place;
    inner.map = map;
    inner.record = m_shape.record;
    inner.inherited = m_shape.color;
    CopyBlock(*block, inner, out);
  }

  void Insert(const Record& r, const Placement& place, ShapeWriter& out) {
    const std::string_view name = r.Text(kBlockNameCode);
    const auto block = m_blocks.find(name);
    if (block == m_blocks.end() || place.depth >= kMaxNesting) return Marker(r, place, out);
    const Affine ocs = place.map.After(OcsToWorld(r.Extrusion(), r.Real(kZ)));
    const int columns = std::max(1, r.Int(70, 1)), rows = std::max(1, r.Int(71, 1));
    const double columnStep = r.Real(44), rowStep = r.Real(45);
    const Vec2 scale{r.Real(41, 1), r.Real(42, 1)};
    const double rotation = r.Real(kRotationCode) * kDegree;
    int copies = 0;
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns && copies < kMaxArrayCopies; ++column, ++copies) {
        const Vec2 offset{column * columnStep, row * rowStep};
        const Affine map =
            ocs.After(InsertMap(block->second.base, scale, offset, rotation, r.Point(kX)));
        DrawBlock(name, map, place, out);
      }
    }
  }

  void Dimension(const Record& r, const Placement& place, ShapeWriter& out) {
    if (!m_blocks.contains(r.Text(kBlockNameCode)) || place.depth >= kMaxNesting)
      return Marker(r, place, out);
    const Vec2 at = r.Point(kX3);
    DrawBlock(r.Text(kBlockNameCode), place.map.After(Affine{1, 0, 0, 1, at.x, at.y}), place, out);
  }

  // Returns the shapes of a block in its own coordinates, decoded at its first use;
  // null for an unknown block or one that contains itself.
  const LayoutGeometry* BlockGeometry(std::string_view name, int depth) {
    if (const auto done = m_blockShapes.find(name); done != m_blockShapes.end())
      return done->second.get();
    const auto block = m_blocks.find(name);
    if (block == m_blocks.end() || m_building.contains(name)) return nullptr;
    m_building.insert(name);
    auto geometry = std::make_unique<LayoutGeometry>();
    ShapeWriter writer(*geometry, /*baseAtOrigin=*/true);
    Placement place;
    place.depth = depth;
    const ShapeTag outer = m_shape;
    BuildRange(block->second.start, block->second.end, -1, place, writer);
    m_shape = outer;
    m_building.erase(name);
    return m_blockShapes.emplace(name, std::move(geometry)).first->second.get();
  }

  // Copies a block's shapes through place.map; ByBlock colours become place.inherited.
  void CopyBlock(const LayoutGeometry& block, const Placement& place, ShapeWriter& out) {
    LayoutGeometry& g = out.Out();
    const auto [slot, added] =
        m_copiedTexts.try_emplace({&block, &g}, static_cast<std::uint32_t>(g.textBytes.size()));
    if (added) g.textBytes += block.textBytes;
    const auto local = [&](std::uint32_t k) { return Vec2{block.points[k].x, block.points[k].y}; };
    for (const ViewShape& shape : block.shapes) {
      const std::uint32_t color = shape.color == kInheritedColor ? place.inherited : shape.color;
      out.Begin(shape.kind, place.record, shape.source, color);
      if (shape.kind == ShapeKind::Text) {
        ViewText text = block.texts[shape.first];
        const Vec2 a = place.map.Map({text.anchor.x, text.anchor.y});
        if (!out.HasBase()) out.SetBase(a);
        const Vec2 x = place.map.MapVector({text.xAxis.x, text.xAxis.y});
        const Vec2 y = place.map.MapVector({text.yAxis.x, text.yAxis.y});
        text.anchor = {static_cast<float>(a.x - g.baseX), static_cast<float>(a.y - g.baseY)};
        text.xAxis = {static_cast<float>(x.x), static_cast<float>(x.y)};
        text.yAxis = {static_cast<float>(y.x), static_cast<float>(y.y)};
        text.start += slot->second;
        g.shapes.back().first = static_cast<std::uint32_t>(g.texts.size());
        g.texts.push_back(text);
      } else if (shape.kind == ShapeKind::Ellipse) {
        out.Point(place.map.Map(local(shape.first)));
        out.Raw(place.map.MapVector(local(shape.first + 1)));
        out.Raw(place.map.MapVector(local(shape.first + 2)));
        out.Raw(local(shape.first + 3));
      } else {
        for (std::uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
          if (IsRunBreak(block.points[k]))
            out.Break();
          else
            out.Point(place.map.Map(local(k)));
        }
      }
      out.End();
    }
  }

  // Reads the boundary paths of a HATCH: each a closed ring of points.
  std::vector<std::vector<Vec2>> HatchPaths(const Record& r) const {
    std::vector<std::vector<Vec2>> paths;
    const std::vector<Pair>& p = r.pairs;
    std::size_t i = 0;
    while (i < p.size() && p[i].code != 91) ++i;
    const auto real = [&](std::size_t k) { return k < p.size() ? ToReal(p[k].value, 0) : 0.0; };
    const auto take = [&](int code) {
      while (i < p.size() && p[i].code != code) ++i;
      return i < p.size() ? real(i++) : 0.0;
    };
    const int pathCount = i < p.size() ? ToInt(p[i++].value, 0) : 0;
    for (int path = 0; path < pathCount && i < p.size(); ++path) {
      const int type = static_cast<int>(take(92));
      std::vector<Vec2> ring;
      if (type & 2) {
        const bool hasBulge = take(72) != 0;
        take(73);
        const int n = static_cast<int>(take(93));
        std::vector<Vec2> vertices;
        std::vector<double> bulges;
        for (int k = 0; k < n && i < p.size(); ++k) {
          const double x = take(kX), y = take(kY);
          vertices.push_back({x, y});
          bulges.push_back(hasBulge && i < p.size() && p[i].code == kBulgeCode ? real(i++) : 0);
        }
        ring = BulgedPath(vertices, bulges, true);
      } else {
        const int edges = static_cast<int>(take(93));
        for (int k = 0; k < edges && i < p.size(); ++k) HatchEdge(p, i, ring);
      }
      paths.push_back(std::move(ring));
    }
    return paths;
  }

  // Reads one edge of a hatch path at p[i] (its 72 type) and appends its points.
  static void HatchEdge(const std::vector<Pair>& p, std::size_t& i, std::vector<Vec2>& ring) {
    const auto real = [&](std::size_t k) { return k < p.size() ? ToReal(p[k].value, 0) : 0.0; };
    const auto take = [&](int code) {
      while (i < p.size() && p[i].code != code) ++i;
      return i < p.size() ? real(i++) : 0.0;
    };
    const int type = static_cast<int>(take(72));
    if (type == 1) {
      const double x0 = take(kX), y0 = take(kY), x1 = take(kX2), y1 = take(kY + 1);
      ring.push_back({x0, y0});
      ring.push_back({x1, y1});
    } else if (type == 2 || type == 3) {
      // An arc edge: C + U cos t + V sin t with U, V the radius along X and Y; an ellipse
      // edge: U its major axis, V the minor one (code 40 is then the axis ratio).
      const Vec2 c{take(kX), take(kY)};
      const Vec2 major = type == 3 ? Vec2{take(kX2), take(kY + 1)} : Vec2{0, 0};
      const double size = take(kHeightCode);
      const double start = take(kRotationCode) * kDegree, end = take(kRotationCode + 1) * kDegree;
      const bool ccw = take(73) != 0;
      const Vec2 u = type == 3 ? major : Vec2{size, 0};
      const Vec2 v = type == 3 ? Vec2{-major.y * size, major.x * size} : Vec2{0, size};
      // A clockwise edge stores its angles mirrored: it runs from -start down to -end.
      double a0 = ccw ? start : -end, a1 = ccw ? end : -start;
      while (a1 <= a0) a1 += kFullTurn;
      std::vector<Vec2> unit;
      AppendArc({0, 0}, 1, a0, a1, unit);
      if (!ccw) std::reverse(unit.begin(), unit.end());
      for (const Vec2 q : unit)
        ring.push_back({c.x + u.x * q.x + v.x * q.y, c.y + u.y * q.x + v.y * q.y});
    } else if (type == 4) {
      const int degree = static_cast<int>(take(94));
      const int knotCount = static_cast<int>(take(95)), controlCount = static_cast<int>(take(96));
      std::vector<double> knots;
      std::vector<Vec3> controls;
      for (int k = 0; k < knotCount; ++k) knots.push_back(take(kHeightCode));
      for (int k = 0; k < controlCount; ++k) {
        const double x = take(kX), y = take(kY);
        controls.push_back({x, y, 0});
      }
      std::vector<double> weights;
      while (i < p.size() && p[i].code == kBulgeCode) weights.push_back(real(i++));
      std::vector<Vec2> curve;
      if (!AppendBSpline(degree, controls, knots, weights, kSplineSamples, curve))
        for (const Vec3 c : controls) curve.push_back({c.x, c.y});
      ring.insert(ring.end(), curve.begin(), curve.end());
    }
  }

  void Hatch(const Record& r, const Placement& place, ShapeWriter& out) {
    const Affine map = place.map.After(OcsToWorld(r.Extrusion(), r.Real(kZ)));
    const bool solid = r.Int(kFlagsCode) == 1;
    Begin(out, solid ? ShapeKind::Fill : ShapeKind::Lines);
    for (const std::vector<Vec2>& ring : HatchPaths(r)) {
      if (ring.empty()) continue;
      for (const Vec2 q : ring) out.Point(map.Map(q));
      out.Point(map.Map(ring.front()));
      out.Break();
    }
    out.End();
  }

  void Solid(const Record& r, const Placement& place, ShapeWriter& out, bool filled) {
    const Affine map = filled ? place.map.After(OcsToWorld(r.Extrusion(), r.Real(kZ))) : place.map;
    const Vec2 third = r.Point(kX3);
    const Vec2 fourth = r.Has(kX4) ? r.Point(kX4) : third;
    // A SOLID's corners run 1, 2, 4, 3; a 3DFACE's 1, 2, 3, 4.
    const std::vector<Vec2> corners =
        filled ? std::vector<Vec2>{r.Point(kX), r.Point(kX2), fourth, third, r.Point(kX)}
               : std::vector<Vec2>{r.Point(kX), r.Point(kX2), third, fourth, r.Point(kX)};
    Begin(out, filled ? ShapeKind::Fill : ShapeKind::Lines);
    for (const Vec2 q : corners) out.Point(map.Map(q));
    out.End();
  }

  void Leader(const Record& r, const Placement& place, ShapeWriter& out) {
    std::vector<Vec2> vertices;
    for (const Pair& pair : r.pairs) {
      if (pair.code == kX) vertices.push_back({ToReal(pair.value, 0), 0});
      if (pair.code == kY && !vertices.empty()) vertices.back().y = ToReal(pair.value, 0);
    }
    Run(vertices, place.map, out);
  }

  void Image(const Record& r, const Placement& place, ShapeWriter& out) {
    const Vec2 origin = r.Point(kX), u = r.Point(kX2), v = r.Point(kX3), size = r.Point(kX4);
    const Vec2 across{u.x * size.x, u.y * size.x}, up{v.x * size.y, v.y * size.y};
    Run({origin,
         {origin.x + across.x, origin.y + across.y},
         {origin.x + across.x + up.x, origin.y + across.y + up.y},
         {origin.x + up.x, origin.y + up.y},
         origin},
        place.map, out);
  }

  struct ShapeTag {
    int record = 0, source = 0;
    std::uint32_t color = kForegroundColor;
  };

  const TDXFBuffer& m_b;
  const std::atomic<bool>* m_cancel;
  bool m_cancelled = false;
  long long m_recordsSeen = 0;
  std::unordered_map<std::string, LayerStyle> m_layers;
  std::map<std::string_view, BlockDefinition, std::less<>> m_blocks;
  std::map<std::string_view, std::unique_ptr<LayoutGeometry>, std::less<>> m_blockShapes;
  std::set<std::string_view, std::less<>> m_building;
  std::map<std::pair<const LayoutGeometry*, const LayoutGeometry*>, std::uint32_t> m_copiedTexts;
  ShapeTag m_shape;  // the record, source and colour of the entity being decoded
};

}  // namespace

std::vector<std::string> DrawingLayouts(const TDXFBuffer& b) {
  std::vector<std::string> layouts{std::string(kModelSpace), std::string(kPaperSpace)};
  for (int i = b.BlocksStart; i < b.BlocksEnd; i = NextRecord(b, i)) {
    if (b.GetCode(i) != kRecordStartCode || TrimView(b.ValueView(i)) != "BLOCK") continue;
    const int name = FindInRecord(b, i, kNameCode);
    if (name < 0) continue;
    const std::string_view text = b.ValueView(name);
    if (UpperAscii(text).starts_with("*MODEL_SPACE") ||
        UpperAscii(text).starts_with("*PAPER_SPACE"))
      continue;
    layouts.emplace_back(text);
  }
  return layouts;
}

// Cuts the ENTITIES sections into ranges of about equal size, one a core, each section at
// least one, at records that are no VERTEX, ATTRIB or SEQEND, so a POLYLINE or INSERT
// stays with its followers.
static std::vector<PairRange> ModelRanges(const TDXFBuffer& b) {
  const std::vector<PairRange> sections = EntitiesSections(b);
  long long total = 0;
  for (const PairRange section : sections) total += section.to - section.from;
  const long long cores = std::max(1U, std::thread::hardware_concurrency());
  const long long parts = std::clamp(total / kPairsPerPart, 1LL, std::min(cores, kMaxParts));
  std::vector<PairRange> ranges;
  for (const PairRange section : sections) {
    const long long size = section.to - section.from;
    const int pieces = static_cast<int>(std::max(1LL, parts * size / std::max(1LL, total)));
    int from = section.from;
    for (int k = 1; k < pieces; ++k) {
      int at = NextRecord(b, static_cast<int>(section.from + size * k / pieces));
      while (at < section.to && IsFollower(TrimView(b.ValueView(at)))) at = NextRecord(b, at);
      at = std::max(from, std::min(at, section.to));
      ranges.push_back({from, at});
      from = at;
    }
    ranges.push_back({from, section.to});
  }
  return ranges;
}

// Where a part goes in the whole: its first shape, point, text and text byte.
struct PartPlace {
  std::size_t shapes = 0, points = 0, texts = 0, bytes = 0;
};

// Returns part's offset from whole's base point.
static ViewPoint PartShift(const LayoutGeometry& whole, const LayoutGeometry& part) {
  return {static_cast<float>(part.baseX - whole.baseX),
          static_cast<float>(part.baseY - whole.baseY)};
}

// Returns where each part goes, and sizes whole for them all, in memory advised for huge
// pages; whole's base point is its first shape's part's.
static std::vector<PartPlace> PlaceParts(LayoutGeometry& whole,
                                         const std::vector<LayoutGeometry>& parts) {
  std::vector<PartPlace> places;
  PartPlace end;
  bool based = false;
  for (const LayoutGeometry& part : parts) {
    places.push_back(end);
    end.shapes += part.shapes.size();
    end.points += part.points.size();
    end.texts += part.texts.size();
    end.bytes += part.textBytes.size();
    if (!based && !part.shapes.empty()) whole.baseX = part.baseX, whole.baseY = part.baseY;
    based = based || !part.shapes.empty();
    whole.cancelled = whole.cancelled || part.cancelled;
  }
  // A shifted union is the union of the shifted boxes: float sums keep their order.
  for (const LayoutGeometry& part : parts) {
    if (part.extents.Empty()) continue;
    const ViewPoint shift = PartShift(whole, part);
    const ViewBox& box = part.extents;
    whole.extents.Add(
        ViewBox{box.minX + shift.x, box.minY + shift.y, box.maxX + shift.x, box.maxY + shift.y});
  }
  Reserve(whole.shapes, end.shapes);
  Reserve(whole.points, end.points);
  whole.shapes.resize(end.shapes);
  whole.points.resize(end.points);
  whole.texts.resize(end.texts);
  whole.textBytes.resize(end.bytes);
  return places;
}

// Copies part into its place in whole, its points moved from part's base point to whole's.
static void CopyPart(const LayoutGeometry& part, const PartPlace& at, LayoutGeometry& whole) {
  const ViewPoint shift = PartShift(whole, part);
  const auto move = [shift](ViewPoint& p) {
    if (!IsRunBreak(p)) p.x += shift.x, p.y += shift.y;
  };
  std::copy(part.points.begin(), part.points.end(), whole.points.begin() + at.points);
  std::copy(part.textBytes.begin(), part.textBytes.end(), whole.textBytes.begin() + at.bytes);
  for (std::size_t k = 0; k < part.texts.size(); ++k) {
    ViewText text = part.texts[k];
    move(text.anchor);
    text.start += static_cast<std::uint32_t>(at.bytes);
    whole.texts[at.texts + k] = text;
  }
  for (std::size_t k = 0; k < part.shapes.size(); ++k) {
    ViewShape shape = part.shapes[k];
    const bool isText = shape.kind == ShapeKind::Text;
    shape.first += static_cast<std::uint32_t>(isText ? at.texts : at.points);
    // An ellipse's centre is a place; its axes and parameters are not.
    const std::uint32_t places = shape.kind == ShapeKind::Ellipse ? 1 : isText ? 0 : shape.count;
    for (std::uint32_t p = 0; p < places; ++p) move(whole.points[shape.first + p]);
    shape.box = {shape.box.minX + shift.x, shape.box.minY + shift.y, shape.box.maxX + shift.x,
                 shape.box.maxY + shift.y};
    whole.shapes[at.shapes + k] = shape;
  }
}

// Model space of a large drawing is built in parts on several threads, each part then
// copied into its place in the whole on its thread; each part decodes the blocks it uses
// itself.
static LayoutGeometry BuildModelSpace(const TDXFBuffer& b, const TDXFLayerTable& layers,
                                      const std::atomic<bool>* cancel) {
  const std::vector<PairRange> ranges = ModelRanges(b);
  if (ranges.empty()) return LayoutGeometry();
  std::vector<LayoutGeometry> built(ranges.size());
  RunOnThreads(built.size(), [&](std::size_t k) {
    LayoutBuilder builder(b, layers, cancel);
    builder.BuildModel(ranges[k].from, ranges[k].to, built[k]);
    built[k].cancelled = builder.Cancelled();
  });
  if (built.size() == 1) return std::move(built.front());
  LayoutGeometry whole;
  const std::vector<PartPlace> places = PlaceParts(whole, built);
  RunOnThreads(built.size(), [&](std::size_t k) {
    CopyPart(built[k], places[k], whole);
    built[k] = LayoutGeometry();
  });
  return whole;
}

LayoutGeometry BuildLayout(const TDXFBuffer& b, const TDXFLayerTable& layers,
                           std::string_view layout, const std::atomic<bool>* cancel) {
  LayoutGeometry geometry;
  LayoutBuilder builder(b, layers, cancel);
  if (layout == kModelSpace) {
    geometry = BuildModelSpace(b, layers, cancel);
  } else if (layout == kPaperSpace) {
    builder.BuildPaper(geometry);
  } else {
    builder.BuildBlock(layout, geometry);
  }
  geometry.cancelled = geometry.cancelled || builder.Cancelled();
  geometry.shapes.shrink_to_fit();
  geometry.points.shrink_to_fit();
  geometry.texts.shrink_to_fit();
  geometry.textBytes.shrink_to_fit();
  return geometry;
}

// The start of the record that holds pair i.
static int RecordStartOf(const TDXFBuffer& b, int i) {
  while (i > 0 && b.GetCode(i) != kRecordStartCode) --i;
  return i;
}

int DrawnRecordOf(const TDXFBuffer& b, int i) {
  if (i < 0 || i > b.EofIndex) return -1;
  int record = RecordStartOf(b, i);
  for (int owner = record; owner > 0;) {
    const std::string_view type = TrimView(b.ValueView(owner));
    if (type == "POLYLINE" || type == "INSERT") return owner;
    if (!IsFollower(type)) break;
    owner = RecordStartOf(b, owner - 1);
  }
  return record;
}

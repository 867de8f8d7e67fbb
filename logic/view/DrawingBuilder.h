// DrawingBuilder.h - turns the entities of a layout into the shapes the view draws.
//
// Model space is the ENTITIES section without its paper-space entities (67 = 1); paper
// space is those plus the *Paper_Space block; any other block can be shown alone. Block
// references are expanded with their maps (scale, rotation, columns and rows, nesting up
// to 16 deep); each block is decoded once and copied per reference. Entities on layers
// that are off or frozen are left out. Colours follow the list tabs' DisplayColor: true
// colour, ACI, ByLayer and ByBlock (the INSERT's colour, as for layer-0 entities that are
// ByLayer inside a block).
#pragma once

#include <atomic>       // std::atomic
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/view/ViewGeometry.h"
#include "model/buffer/MyDXFClass.h"

/// The layout names of model and paper space; a block's layout is the block's name.
constexpr std::string_view kModelSpace = "*Model_Space";
constexpr std::string_view kPaperSpace = "*Paper_Space";

/// Returns the layouts a drawing offers: model space, paper space, then each block by its
/// name (as the file's bytes), in file order.
std::vector<std::string> DrawingLayouts(const TDXFBuffer& b);

/// Builds the shapes of `layout` from b, with the layer table's colours and visibility.
/// An unknown layout gives no shapes. When `cancel` turns true the build stops early and
/// the result says so.
LayoutGeometry BuildLayout(const TDXFBuffer& b, const TDXFLayerTable& layers,
                           std::string_view layout, const std::atomic<bool>* cancel = nullptr);

/// Returns the record whose shapes show pair i: the record that holds it, or for a VERTEX,
/// ATTRIB or SEQEND the POLYLINE or INSERT they belong to. -1 outside the pairs.
int DrawnRecordOf(const TDXFBuffer& b, int i);

# make_purge_drawing.py - writes tests/data/purge.dxf: an R2000 drawing for the purge tests.
#
# Written with ezdxf, which makes a drawing AutoCAD and ezdxf's audit accept; what the
# purge must take out is named UNUSED_* and OUTER/INNER*, everything else must stay.
# Run: /usr/bin/python3 tests/data/make_purge_drawing.py tests/data/purge.dxf
import sys

import ezdxf

doc = ezdxf.new("R2000")
msp = doc.modelspace()

# One unused definition of each kind; the layer has an extension dictionary of its own.
doc.linetypes.add("UNUSED_LT", pattern=[0.5, 0.25, -0.25], description="unused")
unused_layer = doc.layers.add("UNUSED_LAYER", linetype="UNUSED_LT")
unused_layer.new_extension_dict().add_xrecord("UNUSED_XRECORD").reset([(1, "owned")])
doc.styles.add("UNUSED_STYLE", font="arial.ttf")
doc.dimstyles.new("UNUSED_DIM")
doc.appids.add("UNUSED_APP")
doc.blocks.new("UNUSED_BLOCK").add_line((0, 0), (1, 1))

# Nested: OUTER is unused and the only user of INNER, which alone uses its layer and linetype.
doc.linetypes.add("INNER_LT", pattern=[0.5, 0.25, -0.25])
doc.layers.add("INNER_LAYER", linetype="INNER_LT")
doc.blocks.new("INNER").add_circle((0, 0), 1, dxfattribs={"layer": "INNER_LAYER"})
doc.blocks.new("OUTER").add_blockref("INNER", (0, 0))

# A block used only inside a kept block, and a layer used only by a kept block's entity.
doc.layers.add("BLOCK_LAYER")
doc.blocks.new("PART").add_line((0, 0), (2, 0))
kept = doc.blocks.new("KEPT")
kept.add_blockref("PART", (0, 0))
kept.add_line((0, 0), (0, 2), dxfattribs={"layer": "BLOCK_LAYER"})
msp.add_blockref("KEPT", (5, 5))

# A layer named only in a viewport's frozen-layer list.
doc.layers.add("FROZEN_LAYER")
viewport = doc.layout("Layout1").add_viewport((10, 10), (20, 20), (0, 0), 20)
viewport.frozen_layers = ["FROZEN_LAYER"]

# A text style used only by a dimension style, which the header makes current.
doc.styles.add("DIM_TEXT", font="arial.ttf")
doc.dimstyles.new("USED_DIM", dxfattribs={"dimtxsty": "DIM_TEXT"})
doc.header["$DIMSTYLE"] = "USED_DIM"

# An application used by extended data; entities on their layers.
doc.appids.add("USED_APP")
doc.layers.add("WALL")
line = msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "WALL"})
line.set_xdata("USED_APP", [(1000, "kept")])
msp.add_text("text", dxfattribs={"layer": "WALL"})

doc.saveas(sys.argv[1])

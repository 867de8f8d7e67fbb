# make_sample.py - writes examples/sample.dxf: a small AC1015 drawing in CP932 with CR LF ends.
#
# Run: python3 examples/make_sample.py examples/sample.dxf
import sys
pairs = []
def p(code, value):
    pairs.append((code, str(value)))
def sec(name): p(0, "SECTION"); p(2, name)
def endsec(): p(0, "ENDSEC")

# HEADER
sec("HEADER")
for var, code, val in [
    ("$ACADVER", 1, "AC1015"), ("$ACADMAINTVER", 70, "     6"), ("$DWGCODEPAGE", 3, "ANSI_932"),
    ("$INSBASE", None, None), ("$EXTMIN", None, None), ("$EXTMAX", None, None),
    ("$LTSCALE", 40, "1.0"), ("$ATTMODE", 70, "     1"), ("$AUNITS", 70, "     0"),
    ("$CLAYER", 8, "壁"), ("$CELTYPE", 6, "ByLayer"), ("$CECOLOR", 62, "   256"),
    ("$CELTSCALE", 40, "0.5"), ("$MIRRTEXT", 70, "     0"), ("$ORTHOMODE", 70, "     1"),
    ("$TDCREATE", 40, "2453857.625"), ("$TDUPDATE", 40, "2453858.0"), ("$TDINDWG", 40, "1.5"),
    ("$HANDSEED", 5, "20000"), ("$MEASUREMENT", 70, "     1"), ("$INDEXCTL", 280, "     0"),
]:
    p(9, var)
    if var == "$INSBASE":
        p(10, "0.0"); p(20, "0.0"); p(30, "0.0")
    elif var == "$EXTMIN":
        p(10, "0.0"); p(20, "0.0"); p(30, "0.0")
    elif var == "$EXTMAX":
        p(10, "420.0"); p(20, "297.0"); p(30, "0.0")
    else:
        p(code, val)
endsec()

# CLASSES
sec("CLASSES")
p(0, "CLASS"); p(1, "ACDBDICTIONARYWDFLT"); p(2, "AcDbDictionaryWithDefault"); p(3, "ObjectDBX Classes")
p(90, "        0"); p(280, "     0"); p(281, "     0")
p(0, "CLASS"); p(1, "LWPOLYLINE"); p(2, "AcDbPolyline"); p(3, "ObjectDBX Classes")
p(90, "        0"); p(280, "     0"); p(281, "     1")
endsec()

# TABLES
sec("TABLES")
def table(name, handle, count, records):
    p(0, "TABLE"); p(2, name); p(5, handle); p(330, "0"); p(100, "AcDbSymbolTable"); p(70, f"{count:6d}")
    for r in records: r()
    p(0, "ENDTAB")

def vport():
    p(0, "VPORT"); p(5, "22"); p(330, "8"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbViewportTableRecord")
    p(2, "*ACTIVE"); p(70, "     0"); p(10, "0.0"); p(20, "0.0"); p(11, "1.0"); p(21, "1.0")
    p(12, "210.0"); p(22, "148.5"); p(40, "297.0"); p(41, "1.414")
table("VPORT", "8", 1, [vport])

def ltype(handle, name, desc, elems):
    def f():
        p(0, "LTYPE"); p(5, handle); p(330, "5"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbLinetypeTableRecord")
        p(2, name); p(70, "     0"); p(3, desc); p(72, "    65"); p(73, f"{len(elems):6d}")
        p(40, f"{sum(abs(e) for e in elems):.1f}")
        for e in elems:
            p(49, f"{e:.1f}"); p(74, "     0")
    return f
table("LTYPE", "5", 4, [ltype("14", "ByBlock", "", []), ltype("15", "ByLayer", "", []),
                         ltype("16", "Continuous", "実線", []),
                         ltype("17", "一点鎖線", "一点鎖線 ____ _ ____ _", [12.0, -3.0, 0.0, -3.0])])

def layer(handle, name, color, ltype, truecolor=None, flags=0):
    def f():
        p(0, "LAYER"); p(5, handle); p(330, "2"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbLayerTableRecord")
        p(2, name); p(70, f"{flags:6d}"); p(62, f"{color:6d}")
        if truecolor is not None: p(420, f"{truecolor:9d}")
        p(6, ltype); p(290, "     1"); p(370, "    -3")
    return f
table("LAYER", "2", 5, [layer("10", "0", 7, "Continuous"),
                        layer("18", "壁", 1, "Continuous"),
                        layer("19", "通り芯", 3, "一点鎖線"),
                        layer("1A", "非表示", -5, "Continuous"),
                        layer("1B", "家具", 30, "Continuous", truecolor=16744448)])

def style():
    p(0, "STYLE"); p(5, "11"); p(330, "3"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbTextStyleTableRecord")
    p(2, "Standard"); p(70, "     0"); p(40, "0.0"); p(41, "1.0"); p(50, "0.0"); p(71, "     0")
    p(42, "2.5"); p(3, "txt"); p(4, "bigfont.shx")
table("STYLE", "3", 1, [style])
table("VIEW", "6", 0, [])
table("UCS", "7", 0, [])
def appid():
    p(0, "APPID"); p(5, "12"); p(330, "9"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbRegAppTableRecord")
    p(2, "ACAD"); p(70, "     0")
table("APPID", "9", 1, [appid])
def dimstyle():
    p(0, "DIMSTYLE"); p(105, "27"); p(330, "A"); p(100, "AcDbSymbolTableRecord"); p(100, "AcDbDimStyleTableRecord")
    p(2, "Standard"); p(70, "     0"); p(41, "2.5"); p(42, "0.625"); p(43, "3.75"); p(44, "1.25")
    p(140, "2.5"); p(176, "     2"); p(177, "     2"); p(178, "     3"); p(277, "     2"); p(340, "11")
table("DIMSTYLE", "A", 1, [dimstyle])
def brec(handle, name):
    def f():
        p(0, "BLOCK_RECORD"); p(5, handle); p(330, "1"); p(100, "AcDbSymbolTableRecord")
        p(100, "AcDbBlockTableRecord"); p(2, name)
    return f
table("BLOCK_RECORD", "1", 4, [brec("1F", "*Model_Space"), brec("1C", "*Paper_Space"),
                               brec("2A", "扉"), brec("2E", "*D1")])
endsec()

# BLOCKS
sec("BLOCKS")
def block(h, owner, name, layer_, body, endh):
    p(0, "BLOCK"); p(5, h); p(330, owner); p(100, "AcDbEntity"); p(8, layer_); p(100, "AcDbBlockBegin")
    p(2, name); p(70, "     0"); p(10, "0.0"); p(20, "0.0"); p(30, "0.0"); p(3, name); p(1, "")
    body()
    p(0, "ENDBLK"); p(5, endh); p(330, owner); p(100, "AcDbEntity"); p(8, layer_); p(100, "AcDbBlockEnd")
block("20", "1F", "*Model_Space", "0", lambda: None, "21")
block("1D", "1C", "*Paper_Space", "0", lambda: None, "1E")
def door():
    p(0, "LINE"); p(5, "2C"); p(330, "2A"); p(100, "AcDbEntity"); p(8, "0"); p(100, "AcDbLine")
    p(10, "0.0"); p(20, "0.0"); p(30, "0.0"); p(11, "0.0"); p(21, "900.0"); p(31, "0.0")
    p(0, "ARC"); p(5, "2D"); p(330, "2A"); p(100, "AcDbEntity"); p(8, "0"); p(62, "     2"); p(100, "AcDbCircle")
    p(10, "0.0"); p(20, "0.0"); p(30, "0.0"); p(40, "900.0"); p(100, "AcDbArc"); p(50, "0.0"); p(51, "90.0")
block("2B", "2A", "扉", "0", door, "2F")
def dimblock():
    p(0, "LINE"); p(5, "31"); p(330, "2E"); p(100, "AcDbEntity"); p(8, "0"); p(100, "AcDbLine")
    p(10, "0.0"); p(20, "-100.0"); p(30, "0.0"); p(11, "420.0"); p(21, "-100.0"); p(31, "0.0")
block("30", "2E", "*D1", "0", dimblock, "32")
endsec()

# ENTITIES
sec("ENTITIES")
def ent(kind, h, layer_, sub, extra=None):
    p(0, kind); p(5, h); p(330, "1F"); p(100, "AcDbEntity"); p(8, layer_)
    if extra: extra()
    p(100, sub)
ent("LINE", "40", "壁", "AcDbLine"); p(10, "0.0"); p(20, "0.0"); p(30, "0.0"); p(11, "4200.0"); p(21, "0.0"); p(31, "0.0")
ent("LINE", "41", "壁", "AcDbLine"); p(10, "4200.0"); p(20, "0.0"); p(30, "0.0"); p(11, "4200.0"); p(21, "2999.9999999"); p(31, "0.0")
ent("CIRCLE", "42", "通り芯", "AcDbCircle", lambda: p(62, "     5")); p(10, "2100.0"); p(20, "1500.0"); p(30, "0.0"); p(40, "450.0")
ent("ARC", "43", "家具", "AcDbCircle"); p(10, "1000.0"); p(20, "1000.0"); p(30, "0.0"); p(40, "300.0"); p(100, "AcDbArc"); p(50, "0.0"); p(51, "179.99999")
ent("TEXT", "44", "0", "AcDbText", lambda: (p(62, "     3"), p(420, "  65280"))); p(10, "100.0"); p(20, "3200.0"); p(30, "0.0"); p(40, "250.0"); p(1, "平面図　ソファ配置"); p(50, "0.0"); p(7, "Standard"); p(72, "     1"); p(11, "2100.0"); p(21, "3200.0"); p(31, "0.0"); p(100, "AcDbText"); p(73, "     0")
ent("LWPOLYLINE", "45", "家具", "AcDbPolyline"); p(90, "        3"); p(70, "     1"); p(43, "0.0")
for x, y in [(500.0, 500.0), (1500.0, 500.0), (1500.0, 1200.0)]:
    p(10, f"{x:.1f}"); p(20, f"{y:.1f}")
ent("INSERT", "46", "壁", "AcDbBlockReference"); p(2, "扉"); p(10, "4200.0"); p(20, "1000.0"); p(30, "0.0"); p(50, "90.0")
ent("INSERT", "47", "壁", "AcDbBlockReference"); p(2, "扉"); p(10, "0.0"); p(20, "1000.0"); p(30, "0.0")
ent("HATCH", "48", "家具", "AcDbHatch"); p(10, "0.0"); p(20, "0.0"); p(30, "0.0"); p(210, "0.0"); p(220, "0.0"); p(230, "1.0")
p(2, "SOLID"); p(70, "     1"); p(71, "     0"); p(91, "        1"); p(92, "        3"); p(72, "     0"); p(73, "     1"); p(93, "        4")
for x, y in [(2000.0, 2000.0), (2600.0, 2000.0), (2600.0, 2400.0), (2000.0, 2400.0)]:
    p(10, f"{x:.1f}"); p(20, f"{y:.1f}")
p(97, "        0"); p(75, "     0"); p(76, "     1"); p(98, "        1"); p(10, "2300.0"); p(20, "2200.0")
ent("DIMENSION", "49", "0", "AcDbDimension"); p(2, "*D1"); p(10, "420.0"); p(20, "-100.0"); p(30, "0.0"); p(11, "210.0"); p(21, "-100.0"); p(31, "0.0"); p(70, "    33"); p(1, ""); p(3, "Standard"); p(100, "AcDbAlignedDimension"); p(13, "0.0"); p(23, "0.0"); p(33, "0.0"); p(14, "420.0"); p(24, "0.0"); p(34, "0.0")
endsec()

# OBJECTS
sec("OBJECTS")
p(0, "DICTIONARY"); p(5, "C"); p(330, "0"); p(100, "AcDbDictionary"); p(281, "     1")
p(3, "ACAD_GROUP"); p(350, "D"); p(3, "ACAD_LAYOUT"); p(350, "1A0")
p(0, "DICTIONARY"); p(5, "D"); p(102, "{ACAD_REACTORS"); p(330, "C"); p(102, "}"); p(330, "C"); p(100, "AcDbDictionary"); p(281, "     1")
p(3, "壁グループ"); p(350, "50"); p(3, "家具"); p(350, "51")
p(0, "DICTIONARY"); p(5, "1A0"); p(330, "C"); p(100, "AcDbDictionary"); p(281, "     1")
p(0, "GROUP"); p(5, "50"); p(102, "{ACAD_REACTORS"); p(330, "D"); p(102, "}"); p(330, "D"); p(100, "AcDbGroup")
p(300, "外壁の線"); p(70, "     0"); p(71, "     1"); p(340, "40"); p(340, "41")
p(0, "GROUP"); p(5, "51"); p(102, "{ACAD_REACTORS"); p(330, "D"); p(102, "}"); p(330, "D"); p(100, "AcDbGroup")
p(300, "家具と円"); p(70, "     0"); p(71, "     1"); p(340, "43"); p(340, "45"); p(340, "0042")
endsec()
p(0, "EOF")

out = bytearray()
for code, value in pairs:
    out += f"{code:3d}\r\n".encode("ascii") + value.encode("cp932") + b"\r\n"
open(sys.argv[1], "wb").write(bytes(out))
print(len(pairs), "pairs", len(out), "bytes")

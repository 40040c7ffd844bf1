#!/usr/bin/env python3
"""The shape of src/, as docs/architecture.md draws it.

Fails when a folder includes a folder above it, when a folder has no place
in the order, when units (a .cpp with its .h) include each other in a
circle inside a folder, or when a file above model/ includes a model
reader's header or names what a model reader declares (but a format's own
export files, export/FORMAT[_WHAT]_export, which write into its record). Then
counts, for each model format of the table, the files outside the format's
own files (its reader and writer and its load in formats/ and model/, its
export, its fuzz target) that name it: what a new format costs beyond its
own files. Only the table may.

    check-layers.py [SRC]
"""
import os
import re
import sys

LAYERS = ["maths", "platform", "archive", "formats", "geometry", "looks", "model", "rig", "export", "gallery",
          "state", "render", "lighting", "view", "scene", "capture", "commands", "viewer", "offscreen", "batch"]
# The headers of formats/ that read no model file: the only ones above model/.
NOT_MODEL_READERS = {"animation_cfg.h", "byte_reader.h", "frame_types.h", "palette.h", "pcx.h", "png_writer.h",
                     "reports.h", "shader_script.h", "skin_file.h", "framegroups.h", "truecolour.h", "vertex_normals.h",
                     "cube_config.h"}
# Which format a model came from is asked of these alone.
FORMAT_FIELDS = {"modelType", "fileData"}
INCLUDE = re.compile(r'^#include "([^"]+)"', re.M)


def code_of(text):
    """The text without comments and with string literals emptied."""
    text = re.sub(r'R"\((.*?)\)"', '""', text, flags=re.S)  # raw strings: pages, scripts
    text = re.sub(r"//[^\n]*|/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r'"(\\.|[^"\\\n])*"', '""', text)


def declared(header_text):
    """The names a header declares at its top level: types, functions, constants."""
    names = set()
    for line in code_of(header_text).splitlines():
        if not line or line[0].isspace() or line.startswith(("#", "}", "{")):
            continue
        m = re.match(r"(?:struct|class|enum class|enum|using|namespace)\s+(\w+)", line)
        if m:
            names.add(m.group(1))
            continue
        m = re.match(r"[\w:<>,\s\*&]*?\b(\w+)\s*(?:\(|=|\[|;)", line)
        if m and m.group(1) not in {"const", "return", "operator", "static_assert"}:
            names.add(m.group(1))
    return names


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def units_of(src):
    """Every file of src/ by its path there, and the units (without extension) each includes."""
    files, includes = {}, {}
    for root, _, names in os.walk(src):
        for name in names:
            if name.endswith((".cpp", ".h")):
                path = os.path.relpath(os.path.join(root, name), src)
                if "/" in path:  # the programs' own mains stand above every layer
                    files[path] = read(os.path.join(root, name))
    for path, text in files.items():
        unit = os.path.splitext(path)[0]
        for target in INCLUDE.findall(text):
            if target in files and os.path.splitext(target)[0] != unit:
                includes.setdefault(unit, set()).add(os.path.splitext(target)[0])
    return files, includes


def circles(nodes, edges):
    """The strongly connected groups of more than one node (Tarjan, iterative)."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]
    for start in sorted(nodes):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, set()) & nodes)))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on.add(start)
        while work:
            node, rest = work[-1]
            advanced = False
            for nxt in rest:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter[0]
                    counter[0] += 1
                    stack.append(nxt)
                    on.add(nxt)
                    work.append((nxt, iter(sorted(edges.get(nxt, set()) & nodes))))
                    advanced = True
                    break
                if nxt in on:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(sorted(group))
    return found


def format_rows(files):
    """The rows the table lists (kMd2Format), and the prefix of the format's
    own files: that of the file that defines the row (model/md2_model.cpp)."""
    table = files.get("model/model_formats.cpp", "")
    m = re.search(r"kRows\[\]\s*=\s*\{([^}]*)\}", table)
    rows = re.findall(r"&(k\w+Format)", m.group(1)) if m else []
    prefixes = {}
    for row in rows:
        for path, text in files.items():
            if path.startswith("model/") and re.search(r"\b%s\s*=\s*\{" % row, text):
                prefixes[row] = re.sub(r"_model$", "", os.path.splitext(os.path.basename(path))[0])
    return rows, prefixes


# Formats that are another's record stored another way, and read and drawn
# through it (an MDC is a compressed MD3): theirs are the other's own files too.
BUILT_ON = {"md3": ["mdc"]}


def own_files(files, prefix):
    """A format's reader and writer, its load, and the export of the drawn form into its record."""
    prefixes = [prefix] + BUILT_ON.get(prefix, [])
    return {path for path in files for p in prefixes
            if re.match(r"(formats|model)/%s(_\w+)?\.(h|cpp)$" % p, path)
            or re.match(r"export/%s(_\w+)?_export\.(h|cpp)$" % p, path)}


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../src")
    root = os.path.dirname(os.path.abspath(src.rstrip("/")))
    files, includes = units_of(src)
    rank = {name: i for i, name in enumerate(LAYERS)}
    faults = []
    for folder in sorted({p.split("/")[0] for p in files}):
        if folder not in rank:
            faults.append("src/%s/ has no place among the layers (tests/layers/check-layers.py)" % folder)
    for path, text in sorted(files.items()):
        folder = path.split("/")[0]
        for target in INCLUDE.findall(text):
            above = target.split("/")[0]
            if "/" in target and (above not in rank or folder in rank and rank[above] > rank[folder]):
                faults.append("%s includes %s: %s/ is not below %s/" % (path, target, above, folder))

    groups = []
    for folder in LAYERS:
        nodes = {u for u in set(includes) | {t for ts in includes.values() for t in ts} if u.split("/")[0] == folder}
        groups += circles(nodes, includes)
    for group in groups:
        faults.append("units include each other in a circle: " + ", ".join(group))

    readers = [p for p in files if p.startswith("formats/") and p.endswith(".h")
               and os.path.basename(p) not in NOT_MODEL_READERS]
    reader_names = set()
    for header in readers:
        reader_names |= declared(files[header])
    rows, prefixes = format_rows(files)
    row_names = set(rows)
    banned = reader_names | FORMAT_FIELDS | row_names
    # A format's own export file writes the drawn form into its record: its reader's names are its to use.
    allowed = {}
    for prefix in set(prefixes.values()):
        for path in files:
            if re.match(r"export/%s(_\w+)?_export\.(h|cpp)$" % prefix, path):
                own_headers = [h for h in readers if re.match(r"formats/%s(_\w+)?\.h$" % prefix, h)]
                allowed[path] = (set().union(*(declared(files[h]) for h in own_headers)), set(own_headers))
    asking = []
    for path, text in sorted(files.items()):
        if rank.get(path.split("/")[0], -1) <= rank["model"]:
            continue
        names, own_headers = allowed.get(path, (set(), set()))
        named = set(re.findall(r"\b\w+\b", code_of(text))) & (banned - names)
        headers = [t for t in INCLUDE.findall(text) if t in readers and t not in own_headers]
        if named or headers:
            asking.append("%s asks for a model's format: %s" % (path, ", ".join(sorted(named | set(headers)))))
    faults += asking

    # What each format costs outside its own files.
    scanned = dict(("src/" + p, code_of(t)) for p, t in files.items())
    for extra in ["CMakeLists.txt", "fuzz/CMakeLists.txt", "tests/run-all.sh"]:
        if os.path.exists(os.path.join(root, extra)):
            scanned[extra] = code_of(read(os.path.join(root, extra)))
    fuzz = os.path.join(root, "fuzz")
    reach = []
    for prefix in sorted(set(prefixes.values()), key=lambda p: min(rows.index(r) for r in rows if prefixes[r] == p)):
        own = {"src/" + p for p in own_files(files, prefix)}
        own |= {"fuzz/" + n for n in (os.listdir(fuzz) if os.path.isdir(fuzz) else [])
                if re.match(r"fuzz_%s(_\w+)?\.cpp$" % prefix, n)}
        names = {row for row in rows if prefixes[row] == prefix}
        for path in own:
            if path.endswith(".h"):
                names |= declared(files[path[4:]])
        # A name declared elsewhere too (an interface several formats share,
        # or a helper of the same name) is not the format's own.
        for path, text in files.items():
            if "src/" + path not in own:
                names -= declared(text)
        naming = sorted(p for p, text in scanned.items()
                        if p not in own and not p.startswith("fuzz/fuzz_")
                        and set(re.findall(r"\b\w+\b", text)) & names)
        reach.append((prefix, naming))
    costly = [(prefix, naming) for prefix, naming in reach if naming != ["src/model/model_formats.cpp"]]
    for prefix, naming in costly:
        faults.append("%s is named outside its own files by %s" % (prefix, ", ".join(naming) or "nothing, not even the table"))

    for fault in faults:
        print(fault)
    counts = ", ".join("%s %d" % (prefix, len(naming)) for prefix, naming in reach)
    if faults:
        print("layers: %d faults (%d circles, %d files above model/ ask for a model's format)"
              % (len(faults), len(groups), len(asking)))
        return 1
    print("layers: %d layers, %d files, every include runs downward, 0 circles of includes, no file above model/ "
          "asks for a model's format; files naming a format outside its own: %s (the table)"
          % (len(LAYERS), len(files), counts))
    return 0


if __name__ == "__main__":
    sys.exit(main())

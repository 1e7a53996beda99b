#!/usr/bin/env bash
# Checks the layers of a source tree: src/core may include only core,
# src/gui only gui and core, src/app anything; no two folders may include
# each other, directly or through others; and the core library must not
# link Qt Gui or Qt Widgets.
#
# Usage: check_layers.sh SRC_DIR CORE_LINK_LIBRARIES
set -euo pipefail
src=${1%/}
core_links=${2:-}
status=0
complain() {
  echo "layer rules: $*" >&2
  status=1
}

case ";$core_links;" in
  *Qt6::Gui* | *Qt6::Widgets* | *Qt::Gui* | *Qt::Widgets*)
    complain "vellamar_core links Qt Gui or Widgets ($core_links)" ;;
esac

# One pass over every include of the tree: awk prints each broken rule as
# "rule ..." and each include from one folder into another as "pair FROM TO".
found=$(mktemp)
trap 'rm -f "$found" "$found.pairs" "$found.loop"' EXIT
find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | xargs -0 -r awk -v src="$src" '
  function folder(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "." }
  /^[ \t]*#[ \t]*include[ \t]*"[^"]*"/ {
    included = $0
    sub(/^[^"]*"/, "", included)
    sub(/".*/, "", included)
    to_layer = included
    sub(/\/.*/, "", to_layer)
    if (to_layer != "core" && to_layer != "gui" && to_layer != "app") next
    relative = substr(FILENAME, length(src) + 2)
    layer = relative
    sub(/\/.*/, "", layer)
    if ((layer == "core" && to_layer != "core") || (layer == "gui" && to_layer == "app"))
      print "rule " relative " includes " included ": " layer " may not use " to_layer
    from = folder(relative)
    to = folder(included)
    if (from != to) print "pair " from " " to
  }' >"$found"

while IFS= read -r complaint; do
  complain "$complaint"
done < <(sed -n 's/^rule //p' "$found")

# tsort finds any circle among the folders.
sed -n 's/^pair //p' "$found" >"$found.pairs"
if ! tsort "$found.pairs" >/dev/null 2>"$found.loop"; then
  complain "folders include each other: $(grep -v 'input contains a loop' "$found.loop" | sed 's/^tsort: //' | tr '\n' ' ')"
fi
((status == 0)) && echo "layer rules: $src keeps them"
exit "$status"

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

pairs=$(mktemp)
trap 'rm -f "$pairs"' EXIT
while IFS= read -r -d '' file; do
  relative=${file#"$src"/}
  from=$(dirname "$relative")
  layer=${relative%%/*}
  while IFS= read -r included; do
    [[ -n $included ]] || continue
    to_layer=${included%%/*}
    case "$to_layer" in core | gui | app) ;; *) continue ;; esac
    case "$layer>$to_layer" in
      "core>gui" | "core>app" | "gui>app") complain "$relative includes $included: $layer may not use $to_layer" ;;
    esac
    to=$(dirname "$included")
    [[ $from == "$to" ]] || printf '%s %s\n' "$from" "$to" >>"$pairs"
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

# tsort finds any circle among the folders.
if ! tsort "$pairs" >/dev/null 2>"$pairs.loop"; then
  complain "folders include each other: $(grep -v 'input contains a loop' "$pairs.loop" | sed 's/^tsort: //' | tr '\n' ' ')"
fi
rm -f "$pairs.loop"
((status == 0)) && echo "layer rules: $src keeps them"
exit "$status"

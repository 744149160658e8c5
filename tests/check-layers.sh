#!/usr/bin/env bash
# Fails when an include reaches from a lower folder of src/ into a higher one,
# or when folders include each other in a loop.
#
# Usage: check-layers.sh <src> <subsystem>...   (subsystems lowest first, as
# CORVANE_SUBSYSTEMS lists them)
#
# A folder's layer is its subsystem's place in that list. Window code (any
# ui/ folder) sits above every Qt-free folder, ordered among itself by the same
# list, so that a part's page may use the console's rules but the rules never
# use a window. Folders of one subsystem (audio/chain, playout/displays) may use
# each other as long as no loop forms.
set -euo pipefail
src="$1"; shift
declare -A rank=()
i=0
for subsystem in "$@"; do rank[$subsystem]=$i; i=$((i + 1)); done
top=$i

# Layer of a folder below src/: subsystem rank, plus the whole Qt-free range
# for window folders.
layer() {
  local folder="$1" subsystem="${1%%/*}"
  local r="${rank[$subsystem]:-}"
  if [ -z "$r" ]; then echo "unknown"; return; fi
  case "/$folder/" in */ui/*) echo $((r + top)) ;; *) echo "$r" ;; esac
}

# Includes still waiting to be moved below their users, each as
# "including/file.cpp -> included/file.h"; every entry must still occur, so
# that the list shrinks as they go.
allowed=()

status=0
edges=$(mktemp)
seen=$(mktemp)
trap 'rm -f "$edges" "$seen"' EXIT
while IFS= read -r file; do
  rel="${file#"$src"/}"
  from=$(dirname "$rel")
  from_layer=$(layer "$from")
  while IFS= read -r header; do
    case "$header" in */*) ;; *) continue ;; esac
    [ -f "$src/$header" ] || continue
    to=$(dirname "$header")
    [ "$to" = "$from" ] && continue
    echo "$from $to" >>"$edges"
    to_layer=$(layer "$to")
    if [ "$from_layer" = unknown ] || [ "$to_layer" = unknown ]; then
      echo "folder not in the subsystem list: $rel -> $header"; status=1; continue
    fi
    if [ "$to_layer" -gt "$from_layer" ]; then
      entry="$rel -> $header"
      if printf '%s\n' "${allowed[@]}" | grep -qxF "$entry"; then
        echo "$entry" >>"$seen"
      else
        echo "reaches up: $entry"; status=1
      fi
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

for entry in "${allowed[@]}"; do
  grep -qxF "$entry" "$seen" || { echo "allowed include no longer occurs, drop it from the list: $entry"; status=1; }
done

if ! sort -u "$edges" | tsort >/dev/null 2>"$edges.loop"; then
  echo "folders include each other in a loop:"; cat "$edges.loop"; status=1
fi
rm -f "$edges.loop"

[ "$status" -eq 0 ] && echo "no include reaches up, no folder loop"
exit "$status"

#!/usr/bin/env bash
# Every include from one room of src/core to another points down this order: a room never
# includes a room above it or on its own level, so no two rooms depend on each other. Each
# chat service is a room of its own under services/: none includes another, nor the presenter.
set -euo pipefail
core=${1:-$(cd "$(dirname "$0")/.." && pwd)/src/core}

declare -A level=(
  [common]=0 [model]=0
  [shell]=1 [net]=1 [connection]=1
  [settings]=2
  [services]=3
  [services/twitch]=4 [services/goodgame]=4 [services/donationalerts]=4 [services/vkvideo]=4
  [chat]=5 [alerts]=5 [overlay]=5
  [testevents]=6
  [window]=7
)

status=0
for dir in "$core"/*/ "$core"/services/*/; do
  room=${dir#"$core"/}
  room=${room%/}
  if [ -z "${level[$room]+x}" ]; then
    echo "room $room has no level in $0"; status=1; continue
  fi
  while IFS=: read -r file line target; do
    [ "$target" = "$room" ] && continue
    if [ -z "${level[$target]+x}" ] || [ "${level[$target]}" -ge "${level[$room]}" ]; then
      echo "$file:$line: $room (level ${level[$room]}) includes $target (level ${level[$target]:-?})"
      status=1
    fi
  done < <(grep -Hno '#include "[a-z/]*/' "$dir"*.h "$dir"*.cpp 2>/dev/null |
           sed 's|#include "||; s|/$||')
done
[ $status -eq 0 ] && echo "every include points down the rooms"
exit $status

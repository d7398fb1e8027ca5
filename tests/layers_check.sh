#!/usr/bin/env bash
# usage: layers_check.sh CXX SRC LAYERS FOLDER:SEEN,SEEN... ...
# For each folder: every header of a folder it may not see must fail to be
# found from its include path, and a header of each folder it sees must be found.
set -u
cxx=$1 src=$2 layers=$3
shift 3
failures=0
all=$(cd "$src" && ls -d */ | tr -d /)
for case in "$@"; do
  folder=${case%%:*}
  seen=" ${case#*:} "
  seen=${seen//,/ }
  for sub in $all; do
    header=$(cd "$src/$sub" && ls *.h | head -n 1)
    out=$(printf '#include "%s/%s"\n' "$sub" "$header" |
      "$cxx" -std=c++20 -E -x c++ - -I"$layers/$folder" -o /dev/null 2>&1)
    status=$?
    if [[ $seen == *" $sub "* ]]; then
      if [ $status -ne 0 ] && grep -q "$sub/$header: No such file" <<<"$out"; then
        echo "FAIL: $folder can't see its own layer's $sub/$header"
        failures=$((failures + 1))
      fi
    elif [ $status -eq 0 ] || ! grep -q "$sub/$header: No such file" <<<"$out"; then
      echo "FAIL: $folder reaches up to $sub/$header"
      failures=$((failures + 1))
    fi
  done
done
[ $failures -eq 0 ] && echo "every layer sees only itself and the layers below"
exit $((failures > 0))

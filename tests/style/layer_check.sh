#!/usr/bin/env bash
# Fails when a source of src/ includes a header of a folder above its own. The folders are listed
# from the bottom layer up; a folder may include headers of its own folder and of those below it.
# Prints every upward include and their count.
set -euo pipefail
top="${1:?usage: $0 SOURCE-DIRECTORY}"
layers=(platform seam errorreport stores transport sound attachments desktop ui diagnosis
        addressbook favorites preferences mainwindow app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
cd "$top/src"
for dir in */; do
    dir=${dir%/}
    [ -n "${rank[$dir]+set}" ] || { echo "FAIL: folder src/$dir has no place in the layers"; exit 1; }
done
upward=0
while IFS=: read -r file _ header; do
    from=${file%%/*}
    to=${header#*\"}
    to=${to%%/*}
    [ -n "${rank[$to]+set}" ] || continue  # a header of no layer folder (Qt, the system)
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        echo "upward: src/$file includes ${header#*\"}" | tr -d '"'
        upward=$((upward + 1))
    fi
done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' .  | sed 's#^\./##')
if [ "$upward" -gt 0 ]; then
    echo "FAIL: $upward includes run upward"
    exit 1
fi
echo "no include runs upward across ${#layers[@]} layer folders"

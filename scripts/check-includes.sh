#!/usr/bin/env bash
# Checks who may include whom, so that each folder keeps to its room:
#   filelist/, conversion/  protocol/, posix/, their own headers, app/mainwindow.h,
#                           the form's ui_mainwindow.h, Qt and the system
#   transcoder/             protocol/, posix/, its rooms, its own headers and the system; no Qt
#   transcoder/ROOM/        protocol/, posix/, the rooms before it in the order that
#                           transcoder/CMakeLists.txt adds them, and the system; no Qt
#   protocol/               its own headers; Qt without Widgets (toolprotocol.h no Qt at all)
#   posix/                  its own headers and the system; no Qt
# Usage: check-includes.sh [SOURCE_DIR]; prints each breach and fails on any.
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 2

widgets=$(find /usr/include -path '*/QtWidgets/QWidget' -print -quit 2>/dev/null)
widgets=${widgets%/QWidget}
status=0

breach() {
    echo "$1: includes $2 ($3)"
    status=1
}

# Prints "file<TAB>kind<TAB>name" for each include of the folder's sources,
# kind being " for quoted and < for angle-bracket ones.
includes() {
    grep -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$1"/*.h "$1"/*.cpp 2>/dev/null |
        sed -E 's/^([^:]*):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]*)[">].*/\1\t\2\t\3/'
}

check() {
    local folder=$1 allowed=$2 qt=$3
    local file kind name
    while IFS=$'\t' read -r file kind name; do
        if [ "$kind" = '"' ]; then
            if [[ "$name" != */* && -e "$folder/$name" ]]; then
                continue
            fi
            [[ "$name" =~ $allowed ]] || breach "$file" "\"$name\"" "not allowed in $folder/"
        elif [[ "$name" == Q* || "$name" == Qt*/* ]]; then
            case $qt in
            none) breach "$file" "<$name>" "$folder/ stays free of Qt" ;;
            nowidgets)
                if [[ -n "$widgets" && ( -e "$widgets/$name" || "$name" == QtWidgets* ) ]]; then
                    breach "$file" "<$name>" "$folder/ stays free of Widgets"
                fi ;;
            esac
        fi
    done < <(includes "$folder")
}

window='^(protocol|posix)/|^app/mainwindow\.h$|^ui_mainwindow\.h$'
check filelist "$window" any
check conversion "$window" any
# The tool's rooms reach only down: each the rooms added before it.
rooms=$(sed -n -E 's/^foreach\(room (.*)\)$/\1/p' transcoder/CMakeLists.txt)
[ -n "$rooms" ] || breach transcoder/CMakeLists.txt "no room order" "the rooms' foreach line is gone"
below=''
for room in $rooms; do
    check "transcoder/$room" "^(protocol|posix)/${below:+|^transcoder/($below)/}" none
    below=${below:+$below|}$room
done
check transcoder "^(protocol|posix)/|^transcoder/($below)/" none
for folder in transcoder/*/; do
    folder=${folder%/}
    [[ " $rooms " == *" ${folder#transcoder/} "* ]] || breach "$folder" "sources" "not a room of transcoder/CMakeLists.txt"
done
check protocol '^protocol/' nowidgets
check posix '^$' none
# Both programs include this header; the tool is built without Qt.
if grep -q -E '^[[:space:]]*#[[:space:]]*include' protocol/toolprotocol.h; then
    breach protocol/toolprotocol.h "anything" "both programs include it as it is"
fi

exit $status

#!/usr/bin/env bash
# Installs the missing Debian packages, then configures and builds into build/.
# Used by ./run and ./test so both share one package list and one build.
#
#   setup.sh [--target T] GROUP...
#
# GROUP names a section of scripts/packages.txt (build, run, test, wayland, package) or "all".
# --target builds only that target (./run needs only the program); without it everything is built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

target=""
groups=()
while (($#)); do
    case "$1" in
        --target) target="$2"; shift 2 ;;
        *) groups+=("$1"); shift ;;
    esac
done
((${#groups[@]})) || groups=(all)

wanted_packages() {
    local line section="" group
    while read -r line; do
        [[ -z "$line" || "$line" == \#* ]] && continue
        if [[ "$line" =~ ^\[(.+)\]$ ]]; then
            section="${BASH_REMATCH[1]}"
            continue
        fi
        for group in "${groups[@]}"; do
            if [[ "$group" == all || "$group" == "$section" ]]; then
                echo "$line"
                break
            fi
        done
    done < "$root/scripts/packages.txt"
}

install_missing_packages() {
    local wanted missing=()
    while read -r wanted; do
        dpkg-query -W -f='${Status}' "$wanted" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$wanted")
    done < <(wanted_packages)
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_project() {
    local type="${LUSTRELAB_BUILD_TYPE:-Release}"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="$type" > /dev/null
    cmake --build "$root/build" --parallel "$(nproc)" ${target:+--target "$target"}
}

install_missing_packages
build_project

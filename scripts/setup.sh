#!/usr/bin/env bash
# Installs the missing Debian packages, then configures and builds into build/.
# Sourced by ./run and ./test so both share one package list and one build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

install_missing_packages() {
    local wanted missing=()
    while read -r wanted; do
        [[ -z "$wanted" || "$wanted" == \#* ]] && continue
        dpkg-query -W -f='${Status}' "$wanted" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$wanted")
    done < "$root/scripts/packages.txt"
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_project() {
    local type="${LUSTRELAB_BUILD_TYPE:-RelWithDebInfo}"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="$type" > /dev/null
    cmake --build "$root/build" --parallel "$(nproc)"
}

install_missing_packages
build_project

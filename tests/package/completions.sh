#!/usr/bin/env bash
# The bash, zsh and fish completions: what each offers for the sub-commands,
# capture modes, preset groups, options, --set fields and values, and files,
# and that every option of `--help` is known to each of them.
#
#   completions.sh LUSTRELAB COMPLETIONS_DIR    (a missing shell is skipped)
set -euo pipefail
program=$1 completions=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # NAME GOT WANTED
    if [[ $2 == "$3" ]]; then
        echo "ok   $1"
    else
        echo "FAIL $1: got [$2], wanted [$3]"
        failures=$((failures + 1))
    fi
}
# Preset ids are asked of the program on PATH; lists sort in byte order.
export PATH="$(dirname "$program"):$PATH" LC_ALL=C
cd "$work"
mkdir folder
touch shot.png Photo.JPG notes.txt style.json

echo "== every option of --help is known to each shell"
for command in compose capture ocr stitch; do
    for option in $("$program" "$command" --help | grep -oE -- '(^| )--[a-z]+' | sort -u); do
        for file in lustrelab.bash _lustrelab lustrelab.fish; do
            grep -q -- "${option#--}" "$completions/$file" || check "$file knows $command $option" no yes
        done
    done
done

echo "== bash"
bash_complete() { # WORDS... (the last is the word being completed)
    bash --norc --noprofile -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _lustrelab
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "' \
        bash "$completions/lustrelab.bash" "$@"
}
check "sub-command" "$(bash_complete lustrelab cap)" "capture"
check "sub-commands and images" "$(bash_complete lustrelab '')" "Photo.JPG capture compose folder ocr presets shot.png stitch"
check "ocr languages" "$(bash_complete lustrelab ocr --language e)" "eng"
check "images to read" "$(bash_complete lustrelab ocr '')" "Photo.JPG folder shot.png"
check "capture modes" "$(bash_complete lustrelab capture '')" "region screen window"
check "one capture mode only" "$(bash_complete lustrelab capture window '')" ""
check "preset groups" "$(bash_complete lustrelab presets '')" "--help canvases frames gradients"
check "options" "$(bash_complete lustrelab compose --s)" "--scale --set --settings"
check "capture's own option" "$(bash_complete lustrelab capture --o)" "--open --output"
check "not for compose" "$(bash_complete lustrelab compose --o)" "--output"
check "images to compose" "$(bash_complete lustrelab compose shot.png '')" "Photo.JPG folder shot.png"
check "JSON for --settings" "$(bash_complete lustrelab capture --settings '')" "folder style.json"
check "any file for -o" "$(bash_complete lustrelab compose -o n)" "notes.txt"
check "--format" "$(bash_complete lustrelab compose --format '')" "jpeg png"
check "--set field" "$(bash_complete lustrelab compose --set shadowE)" "shadowEnabled="
check "--set value" "$(bash_complete lustrelab compose --set backgroundType = s)" "solid"
check "--set preset id" "$(bash_complete lustrelab compose --set gradientPresetId = synthw)" "synthwave"

if command -v fish > /dev/null; then
    echo "== fish"
    fish_complete() {
        fish --no-config -c 'source $argv[1]; complete -C $argv[2] | string replace -r "\t.*" "" | sort | string join " "' \
            "$completions/lustrelab.fish" "$1"
    }
    check "sub-command" "$(fish_complete 'lustrelab cap')" "capture"
    check "sub-commands and images" "$(fish_complete 'lustrelab ')" "Photo.JPG capture compose folder/ ocr presets shot.png stitch"
    check "capture modes" "$(fish_complete 'lustrelab capture ')" "region screen window"
    check "preset groups" "$(fish_complete 'lustrelab presets ')" "canvases frames gradients"
    check "JSON for --annotations" "$(fish_complete 'lustrelab compose --annotations ')" "folder/ style.json"
    check "--set preset id" "$(fish_complete 'lustrelab compose --set deviceFrameId=macbookpro1')" \
        "deviceFrameId=macbookpro14 deviceFrameId=macbookpro16"
else
    echo "-- fish is not installed, skipped"
fi

if command -v zsh > /dev/null; then
    echo "== zsh"
    # A real interactive zsh on a terminal: the line is typed with Tab and
    # Return, and a lustrelab function echoes the words it was given.
    cat > "$work/type.zsh" << 'EOF'
zmodload zsh/zpty
zpty z 'zsh -f -i'
zpty -w z "PS1='%% '; fpath=($1 \$fpath); autoload -U compinit; compinit -u -D"
zpty -w z 'lustrelab() { print -r -- "WOR""DS:[$*]" }' # the echo of this line must not match
zpty -w -n z "$2"$'\t\n'
zpty -r z out '*WORDS:\[*\]'
print -r -- ${${out##*WORDS:\[}%\]*}
zpty -d z
EOF
    zsh_complete() { timeout 20 zsh -f "$work/type.zsh" "$completions" "$1" | tr -d '\r'; }
    check "sub-command" "$(zsh_complete 'lustrelab cap')" "capture"
    check "image to compose" "$(zsh_complete 'lustrelab compose sh')" "compose shot.png"
    check "--set field" "$(zsh_complete 'lustrelab compose --set exportF')" "compose --set exportFormat="
    check "capture mode" "$(zsh_complete 'lustrelab capture scr')" "capture screen"
else
    echo "-- zsh is not installed, skipped"
fi

echo "$failures failed"
((failures == 0))

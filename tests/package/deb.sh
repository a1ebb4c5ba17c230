#!/usr/bin/env bash
# The Debian package as someone installing it gets it: built from the build
# tree, the files it holds, the unpacked program running, a manual page that
# documents every option, and no lintian errors.
#
#   deb.sh BUILD_DIR VERSION        (exit 77: a Debian tool is missing, skipped)
set -euo pipefail
build=$1 version=$2

for tool in dpkg-deb dpkg-shlibdeps lintian man; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

step "cpack builds the package"
# Its own output folder, so a package in build/ is neither used nor replaced.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/lustrelab_"$version"-*.deb)
[[ -f ${debs[0]} ]] || { ls "$work/out"; fail "no lustrelab_$version-*.deb"; }
deb=${debs[0]}
echo "$deb"

step "control fields"
for field in Package Version Section Depends; do
    echo "$field: $(dpkg-deb -f "$deb" "$field")"
done
[[ $(dpkg-deb -f "$deb" Package) == lustrelab ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Section) == graphics ]] || fail "section"
# dpkg-shlibdeps ran: the Qt libraries the program links are dependencies.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"

step "the package holds the program, desktop files, manual page and completions"
dpkg-deb -c "$deb" | awk '{ print $NF }' > "$work/contents"
for path in usr/bin/lustrelab \
    usr/share/applications/org.lustrelab.Lustrelab.desktop \
    usr/share/icons/hicolor/scalable/apps/org.lustrelab.Lustrelab.svg \
    usr/share/metainfo/org.lustrelab.Lustrelab.metainfo.xml \
    usr/share/mime/packages/org.lustrelab.Lustrelab.xml \
    usr/share/thumbnailers/lustrelab.thumbnailer \
    usr/share/dbus-1/services/org.lustrelab.Lustrelab.service \
    usr/share/man/man1/lustrelab.1.gz \
    usr/share/bash-completion/completions/lustrelab \
    usr/share/zsh/vendor-completions/_lustrelab \
    usr/share/fish/vendor_completions.d/lustrelab.fish \
    usr/share/doc/lustrelab/copyright \
    usr/share/doc/lustrelab/changelog.Debian.gz; do
    grep -qx "./$path" "$work/contents" || fail "missing $path"
done

step "the unpacked program runs"
dpkg -x "$deb" "$work/root"
# The bus starts the program where the package puts it.
grep -qx 'Exec=/usr/bin/lustrelab' "$work/root/usr/share/dbus-1/services/org.lustrelab.Lustrelab.service" \
    || fail "the D-Bus service does not start /usr/bin/lustrelab"
program=$work/root/usr/bin/lustrelab
# A window that opens instead of an answer would hang: hence the timeout.
answer=$(QT_QPA_PLATFORM=offscreen timeout 20 "$program" --version 2>&1) || fail "--version: $answer"
[[ $answer == *"$version"* ]] || fail "--version says '$answer', not $version"
echo "$answer"
"$build/tools/make_sample" "$work/shot.png" 120x80
timeout 60 "$program" compose "$work/shot.png" -o "$work/styled.png" --scale 1 > /dev/null \
    || fail "compose failed"
[[ $(head -c 8 "$work/styled.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] \
    || fail "compose wrote no PNG"

step "projects are a file type with a thumbnailer"
share=$work/root/usr/share
grep -qE '^MimeType=.*application/x-lustrelab-project;' "$share/applications/org.lustrelab.Lustrelab.desktop" \
    || fail "the desktop entry does not open projects"
grep -qx 'MimeType=application/x-lustrelab-project;' "$share/thumbnailers/lustrelab.thumbnailer" \
    || fail "the thumbnailer is not for projects"
if command -v update-mime-database > /dev/null; then
    # The database built from the package alone knows the type by name and by content.
    XDG_DATA_DIRS=$share update-mime-database "$share/mime" 2>&1 | tee "$work/mime.log"
    [[ ! -s $work/mime.log ]] || fail "update-mime-database complained"
    grep -q 'application/x-lustrelab-project:\*\.lustrelab' "$share/mime/globs2" || fail "no glob for *.lustrelab"
    grep -aq 'mimetypeapplication/x-lustrelab-project' "$share/mime/magic" || fail "no magic for projects"
fi
# The thumbnailer's command, as a file manager runs it, on a project of the seed corpus.
project=$(dirname "$0")/../../fuzz/corpus/project_file/valid
exec_line=$(sed -n 's/^Exec=lustrelab //p' "$share/thumbnailers/lustrelab.thumbnailer")
[[ $exec_line == 'thumbnail %i %o %s' ]] || fail "thumbnailer runs '$exec_line'"
timeout 20 "$program" thumbnail "$project" "$work/thumb.png" 64 || fail "the thumbnailer failed"
# Bytes 16 to 23 of a PNG: width and height. The preview is 4 x 3.
[[ $(od -An -tx1 -j16 -N8 "$work/thumb.png" | tr -d ' \n') == 0000004000000030 ]] \
    || fail "the thumbnail is not 64 x 48"

step "the manual page renders cleanly and names every sub-command and option"
manual=$work/root/usr/share/man/man1/lustrelab.1.gz
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 > "$work/manual.txt") || true
[[ -z $warnings ]] || fail "man warns: $warnings"
for command in compose capture presets thumbnail; do
    # (thumbnail has no options: a help without any is not a failure here)
    words=$(timeout 20 "$program" "$command" --help | { grep -oE -- '(^|[ |[])(-[a-z]|--[a-z]+|region|window|screen|gradients|canvases|frames)\b' || true; } \
        | tr -d ' |[' | sort -u)
    for word in $words; do
        grep -qw -- "$word" "$work/manual.txt" || fail "the manual page lacks $command $word"
    done
done
grep -qw -- --version "$work/manual.txt" || fail "the manual page lacks --version"

step "lintian reports no errors"
# Exit status 2 means errors (its default --fail-on), anything else non-zero
# that lintian could not check the package: both fail, as does any E: line.
status=0
lintian --tag-display-limit 0 "$deb" > "$work/lintian.txt" 2>&1 || status=$?
cat "$work/lintian.txt"
((status == 0)) || fail "lintian exited with $status"
! grep -q '^E:' "$work/lintian.txt" || fail "lintian errors"
echo "package checks passed"

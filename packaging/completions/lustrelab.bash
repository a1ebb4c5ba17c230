# bash completion for lustrelab                              -*- shell-script -*-
# Sub-commands, their options and words, and file names where a file goes.
# Only compgen is used, so it also works when sourced without bash-completion.

_lustrelab_fields="cornerRadius borderWidth borderColor shadowEnabled shadowBlur shadowOffsetX
shadowOffsetY shadowOpacity paddingUniform padding paddingTop paddingBottom paddingLeading
paddingTrailing backgroundType gradientPresetId solidColor canvasPresetId customWidth customHeight
deviceFrameId exportScale exportFormat shadowColor autoBalance customGradient backgroundImagePath
backgroundImageBlur backgroundImageDim"

# Files ending in one of the given suffixes (any case), plus folders to descend into.
_lustrelab_files()
{
    local cur=$1 pattern=$2
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY+=($(compgen -d -- "$cur"))
    COMPREPLY+=($(shopt -s extglob nocasematch; compgen -f -X "!*.@($pattern)" -- "$cur"))
}

# The languages whose text recognition data is installed.
_lustrelab_languages()
{
    local file
    for file in ${TESSDATA_PREFIX:+$TESSDATA_PREFIX/*.traineddata $TESSDATA_PREFIX/tessdata/*.traineddata} \
        /usr/share/tesseract-ocr/*/tessdata/*.traineddata; do
        [[ -f $file ]] || continue
        file=${file##*/}
        [[ $file == osd.traineddata ]] || echo "${file%.traineddata}"
    done
}

# The value of --set FIELD=VALUE; preset ids come from the program itself.
_lustrelab_set_value()
{
    local cur=$1 program=$2 field=${1%%=*} value=${1#*=} words="" group=""
    case $field in
        shadowEnabled | paddingUniform | autoBalance) words="true false" ;;
        backgroundType) words="gradient solid transparent customGradient image match" ;;
        exportFormat) words="png jpeg" ;;
        gradientPresetId) group=gradients ;;
        canvasPresetId) group=canvases ;;
        deviceFrameId) group=frames ;;
    esac
    [[ -n $group ]] && words=$("$program" presets "$group" 2>/dev/null | cut -f1)
    COMPREPLY=($(compgen -P "$field=" -W "$words" -- "$value"))
}

_lustrelab()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command="" i
    COMPREPLY=()
    # Readline splits "--set FIELD=VALUE" at '=': put the pair back together.
    local setWord="" field="" value=""
    if [[ $cur == = ]] && ((COMP_CWORD >= 2)); then
        setWord=${COMP_WORDS[COMP_CWORD - 2]} field=$prev
    elif [[ $prev == = ]] && ((COMP_CWORD >= 3)); then
        setWord=${COMP_WORDS[COMP_CWORD - 3]} field=${COMP_WORDS[COMP_CWORD - 2]} value=$cur
    fi
    if [[ $setWord == --set ]]; then
        _lustrelab_set_value "$field=$value" "$program"
        COMPREPLY=("${COMPREPLY[@]#*=}") # readline replaces only the part after '='
        return
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            compose | capture | presets | ocr | stitch) command=${COMP_WORDS[i]}; break ;;
            -*) ;;
            *) break ;; # an image for the window
        esac
    done

    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --version" -- "$cur"))
            elif ((COMP_CWORD == 1)); then
                COMPREPLY=($(compgen -W "compose capture presets ocr stitch" -- "$cur"))
                _lustrelab_files "$cur" "png|jpg|jpeg|webp|bmp|gif"
            else
                _lustrelab_files "$cur" "png|jpg|jpeg|webp|bmp|gif"
            fi
            return
            ;;
        ocr)
            if [[ $prev == --language ]]; then
                COMPREPLY=($(compgen -W "$(_lustrelab_languages)" -- "$cur"))
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--language --help" -- "$cur"))
            else
                _lustrelab_files "$cur" "png|jpg|jpeg|webp|bmp|gif"
            fi
            return
            ;;
        presets)
            ((COMP_CWORD == i + 1)) && COMPREPLY=($(compgen -W "gradients canvases frames --help" -- "$cur"))
            return
            ;;
    esac

    case $prev in
        -o | --output)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --settings | --annotations) _lustrelab_files "$cur" "json"; return ;;
        --format) COMPREPLY=($(compgen -W "png jpeg" -- "$cur")); return ;;
        --scale) COMPREPLY=($(compgen -W "1 2 3" -- "$cur")); return ;;
        --delay) COMPREPLY=($(compgen -W "3 5 10" -- "$cur")); return ;;
        --monitor) COMPREPLY=($(compgen -W "current all 1 2" -- "$cur")); return ;;
        --template) return ;;
        --set)
            compopt -o nospace 2>/dev/null
            COMPREPLY=($(compgen -S = -W "$_lustrelab_fields" -- "$cur"))
            return
            ;;
    esac

    local options="--output --format --scale --copy --redact --settings --template --set --annotations --help"
    [[ $command == capture ]] && options+=" --open --pin --delay --monitor"
    [[ $command == stitch ]] && options+=" --open --horizontal --fit --no-overlap-ok --styled"
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-o $options" -- "$cur"))
    elif [[ $command == capture ]]; then
        local word
        for word in "${COMP_WORDS[@]:i+1:COMP_CWORD-i-1}"; do
            case $word in region | window | screen) return ;; esac # one mode only
        done
        COMPREPLY=($(compgen -W "region window screen" -- "$cur"))
    else
        _lustrelab_files "$cur" "png|jpg|jpeg|webp|bmp|gif"
    fi
} &&
    complete -F _lustrelab lustrelab

# ex: filetype=sh

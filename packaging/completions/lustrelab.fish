# fish completion for lustrelab: sub-commands, their options and words, file names.

set -l commands compose capture presets ocr stitch
set -l images '(__lustrelab_files "png|jpe?g|webp|bmp|gif")'

# Folders and the files whose suffix matches (any case) under the word being typed.
function __lustrelab_files --argument-names suffixes
    set -l token (commandline -ct)
    for path in $token*
        if test -d $path
            echo $path/
        else if string match -qri -- "\\.($suffixes)\$" $path
            echo $path
        end
    end
end

# The window: sub-commands first, else images.
complete -c lustrelab -f
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a compose -d 'Style screenshots without a window'
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a capture -d 'Capture, style and save in one step'
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a presets -d 'List the built-in preset ids'
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a ocr -d 'Print the text of screenshots'
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a stitch -d 'Join overlapping screenshots into one'
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -a "$images"
complete -c lustrelab -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'
complete -c lustrelab -l help -s h -d 'List the options'

# presets
complete -c lustrelab -n '__fish_seen_subcommand_from presets; and not __fish_seen_subcommand_from gradients canvases frames' \
    -a 'gradients canvases frames'

# ocr: images, and a language whose data is installed
complete -c lustrelab -n '__fish_seen_subcommand_from ocr' -a "$images"
complete -c lustrelab -n '__fish_seen_subcommand_from ocr' -l language -x -d 'Language of the text' \
    -a '(for f in /usr/share/tesseract-ocr/*/tessdata/*.traineddata; basename $f .traineddata; end | string match -v osd)'

# capture: one mode word
complete -c lustrelab -n '__fish_seen_subcommand_from capture; and not __fish_seen_subcommand_from region window screen' \
    -a 'region\tA\ selected\ rectangle window\tOne\ window screen\tThe\ whole\ screen'
complete -c lustrelab -n '__fish_seen_subcommand_from capture' -l open -d 'Hand the capture, unstyled, to the window'
complete -c lustrelab -n '__fish_seen_subcommand_from capture' -l pin -d 'Show the styled capture above other windows'
complete -c lustrelab -n '__fish_seen_subcommand_from capture' -l delay -x -a '3 5 10' -d 'Seconds to wait first'
complete -c lustrelab -n '__fish_seen_subcommand_from capture' -l monitor -x -a 'current all 1 2' -d 'Capture one monitor'

# stitch: images to join
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -a "$images"
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -l open -d 'Hand the result, unstyled, to the window'
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -l horizontal -d 'Join side by side'
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -l fit -d 'Scale to the narrowest'
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -l no-overlap-ok -d 'Join images that share nothing edge to edge'
complete -c lustrelab -n '__fish_seen_subcommand_from stitch' -l styled -d 'Style with the default styling'

# compose: images to style
complete -c lustrelab -n '__fish_seen_subcommand_from compose' -a "$images"

# The styling options compose and capture share.
set -l styled '__fish_seen_subcommand_from compose capture stitch'
complete -c lustrelab -n $styled -s o -l output -r -F -d 'File or folder to write'
complete -c lustrelab -n $styled -l format -x -a 'png jpeg' -d Encoding
complete -c lustrelab -n $styled -l scale -x -a '1 2 3' -d 'Resampling factor'
complete -c lustrelab -n $styled -l copy -d 'Put the styled image on the clipboard'
complete -c lustrelab -n $styled -l redact -d 'Cover the secrets in the screenshot text first'
complete -c lustrelab -n $styled -l settings -x -a '(__lustrelab_files json)' -d 'Styling JSON with all keys'
complete -c lustrelab -n $styled -l template -x -d 'A template saved in the window'
complete -c lustrelab -n $styled -l annotations -x -a '(__lustrelab_files json)' -d 'Texts, shapes and removal areas'
complete -c lustrelab -n $styled -l set -x -a '(__lustrelab_set_values)' -d 'Change one styling field'

# FIELD= for --set, then the values that field takes; preset ids come from the program.
function __lustrelab_set_values
    set -l token (commandline -ct)
    set -l program (commandline -opc)[1]
    if not string match -q '*=*' -- $token
        printf '%s=\n' cornerRadius borderWidth borderColor shadowEnabled shadowBlur shadowOffsetX \
            shadowOffsetY shadowOpacity paddingUniform padding paddingTop paddingBottom paddingLeading \
            paddingTrailing backgroundType gradientPresetId solidColor canvasPresetId customWidth \
            customHeight deviceFrameId exportScale exportFormat shadowColor autoBalance customGradient \
            backgroundImagePath backgroundImageBlur backgroundImageDim
        return
    end
    set -l field (string split -m1 = -- $token)[1]
    set -l values
    switch $field
        case shadowEnabled paddingUniform autoBalance
            set values true false
        case backgroundType
            set values gradient solid transparent customGradient image match
        case exportFormat
            set values png jpeg
        case gradientPresetId
            set values ($program presets gradients 2>/dev/null | string split -f1 \t)
        case canvasPresetId
            set values ($program presets canvases 2>/dev/null | string split -f1 \t)
        case deviceFrameId
            set values ($program presets frames 2>/dev/null | string split -f1 \t)
    end
    printf "$field=%s\n" $values
end

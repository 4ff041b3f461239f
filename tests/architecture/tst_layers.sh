#!/bin/bash
# Guards the layers of src/: config -> link -> protocol -> devices|service -> unit -> app|cli.
# Fails naming the file and the include when a folder includes one above it, when devices and
# service include each other, or when a core file includes a QtWidgets header.
set -u
src=${1:?usage: tst_layers.sh <src folder>}

rank() {
    case $1 in
    config) echo 0 ;;
    link) echo 1 ;;
    protocol) echo 2 ;;
    devices | service) echo 3 ;;
    unit) echo 4 ;;
    app | cli) echo 5 ;;
    *) echo -1 ;;
    esac
}

widgets='^(QtWidgets/|Q(Abstract(Button|ItemView|ScrollArea|SpinBox)|Action|Application|BoxLayout|CheckBox|ComboBox|Dialog|DialogButtonBox|FileDialog|Frame|GridLayout|GroupBox|HBoxLayout|HeaderView|Label|Layout|LineEdit|ListWidget|MainWindow|Menu|MenuBar|MessageBox|PlainTextEdit|ProgressBar|PushButton|RadioButton|ScrollBar|SpinBox|Splitter|StatusBar|StyledItemDelegate|TabWidget|TableView|TableWidget|TextEdit|ToolBar|ToolButton|TreeView|VBoxLayout|Widget)$)'

failures=0
while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    own=$(rank "$folder")
    [ "$own" -ge 0 ] || continue
    while IFS= read -r line; do
        [[ $line =~ include[[:space:]]*[\<\"]([^\"\>]+) ]] || continue
        inc=${BASH_REMATCH[1]}
        target=""
        if [[ $inc == */* ]]; then
            first=${inc%%/*}
            [ "$(rank "$first")" -ge 0 ] && target=$first
        fi
        if [ -n "$target" ]; then
            theirs=$(rank "$target")
            if [ "$theirs" -gt "$own" ]; then
                echo "FAIL: $rel includes \"$inc\": $folder may not include $target (a higher layer)"
                failures=$((failures + 1))
            elif [ "$own" -eq 3 ] && [ "$theirs" -eq 3 ] && [ "$target" != "$folder" ]; then
                echo "FAIL: $rel includes \"$inc\": devices and service never include each other"
                failures=$((failures + 1))
            fi
        fi
        if [ "$own" -le 4 ] && [[ $inc =~ $widgets ]]; then
            echo "FAIL: $rel includes <$inc>: the core includes no QtWidgets header"
            failures=$((failures + 1))
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) break the layers"
    exit 1
fi
echo "layers hold"

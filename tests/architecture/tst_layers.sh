#!/bin/bash
# Guards the layers of src/: config -> link -> protocol -> devices|service -> unit -> app|cli.
# Fails naming the file and the include when a folder includes one above it, when devices and
# service include each other, or when a core file includes a QtWidgets header.
set -u
# The second argument, when given, is the QtWidgets module's include folders (colon-separated):
# every header there counts as a widget header.
src=$(realpath -m "${1:?usage: tst_layers.sh <src folder> [QtWidgets include folders]}")
widgetsDir=""
IFS=: read -ra includeDirs <<<"${2:-}"
for dir in "${includeDirs[@]}"; do
    [ "$(basename "$dir")" = QtWidgets ] && [ -d "$dir" ] && widgetsDir=$dir
    [ -d "$dir/QtWidgets" ] && widgetsDir=$dir/QtWidgets
done

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

widgets='^(QtWidgets(/|$)|Q(Abstract(Button|ItemView|ScrollArea|SpinBox)|Action|Application|BoxLayout|CheckBox|ComboBox|Dialog|DialogButtonBox|FileDialog|Frame|GridLayout|GroupBox|HBoxLayout|HeaderView|Label|Layout|LineEdit|ListWidget|MainWindow|Menu|MenuBar|MessageBox|PlainTextEdit|ProgressBar|PushButton|RadioButton|ScrollBar|SpinBox|Splitter|StatusBar|StyledItemDelegate|TabWidget|TableView|TableWidget|TextEdit|ToolBar|ToolButton|TreeView|VBoxLayout|Widget)$)'

failures=0
while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    own=$(rank "$folder")
    [ "$own" -ge 0 ] || continue
    while IFS= read -r line; do
        [[ $line =~ include[[:space:]]*([\<\"])([^\"\>]+) ]] || continue
        quoted=${BASH_REMATCH[1]}
        inc=${BASH_REMATCH[2]}
        target=""
        # A quoted include found beside the file ("../app/x.h" too) is ranked by where it is.
        beside=""
        [ "$quoted" = '"' ] && [ -e "${file%/*}/$inc" ] && beside=$(realpath -m "${file%/*}/$inc")
        if [ -n "$beside" ] && [[ $beside == "$src"/* ]]; then
            inSrc=${beside#"$src"/}
            [ "$(rank "${inSrc%%/*}")" -ge 0 ] && target=${inSrc%%/*}
        elif [[ $inc == */* ]]; then
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
        widgetHeader=0
        [[ $inc =~ $widgets ]] && widgetHeader=1
        [ "$quoted" = '<' ] && [ -n "$widgetsDir" ] && [ -e "$widgetsDir/$inc" ] && widgetHeader=1
        if [ "$own" -le 4 ] && [ "$widgetHeader" -eq 1 ]; then
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

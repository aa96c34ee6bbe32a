# Wine prefix set-up shared by install-prefix and test: created once, then refreshed.
prepare_prefix() {
    local prefix=$1
    export WINEPREFIX="$prefix"
    if [ ! -f "$prefix/system.reg" ]; then
        mkdir -p "$prefix"
        # wineboot returns once the prefix is written; the persistent server keeps running afterwards.
        wineboot --init >/dev/null 2>&1
    fi
    # Japanese text needs a font with its glyphs under the names the dialogs ask for.
    for face in "MS UI Gothic" "MS Shell Dlg" "MS Gothic" "MS PGothic"; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "IPAGothic" /f >/dev/null 2>&1
    done
}

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
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS PGothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Gothic" /t REG_SZ /d "IPAGothic" /f >/dev/null 2>&1
    # Without a window manager (Xvfb) Wine must draw window frames and captions itself, and must not wait for a
    # window manager to map or unmap its windows.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

# Wine prefix set-up shared by install-prefix and test: created once, then refreshed.
prepare_prefix() {
    local prefix=$1
    export WINEPREFIX="$prefix"
    if [ ! -f "$prefix/system.reg" ]; then
        mkdir -p "$prefix"
        # wineboot returns once the prefix is written; the persistent server keeps running afterwards.
        wineboot --init >/dev/null 2>&1
    fi
    # Wine's own fonts (Tahoma behind "MS Shell Dlg", Marlett for the caption buttons) live in the fonts-wine package,
    # which this Wine does not register in a prefix; without them Latin dialogs fall back to a Japanese font that
    # draws a backslash as a yen sign. In the prefix's Fonts folder they load as on Windows.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -u /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    # Japanese text needs a font with its glyphs under the names the dialogs ask for.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS PGothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Gothic" /t REG_SZ /d "IPAGothic" /f >/dev/null 2>&1
    # Without a window manager (Xvfb) Wine must draw window frames and captions itself, and must not wait for a
    # window manager to map or unmap its windows.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

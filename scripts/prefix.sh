# Wine prefix set-up shared by install-prefix and test: created once, then refreshed.
prepare_prefix() {
    local prefix=$1
    export WINEPREFIX="$prefix"
    # A prefix made before Wine's 32-bit loader was installed has no 32-bit system ("could not load
    # kernel32.dll"); one that cannot start a program at all is no use either. Both are made again.
    if [ -f "$prefix/system.reg" ] && { [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] ||
        ! timeout 120 wine cmd.exe /c exit 0 >/dev/null 2>&1; }; then
        echo "Recreating the Wine prefix $prefix: it cannot start programs of both architectures" >&2
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        rm -rf "$prefix"
        start_wineserver
    fi
    if [ ! -f "$prefix/system.reg" ]; then
        mkdir -p "$prefix"
        # The first program started in an empty prefix makes it (Wine runs its own first-time set-up and waits for
        # it). An explicit "wineboot --init" on top of that set-up starts a second service manager; the RpcSs
        # service then never starts, and every later start of the desktop process (explorer.exe, which registers
        # the shell windows object) waits 10 s for it, and with it the first window of every test process.
        wine cmd.exe /c exit >/dev/null 2>&1
    fi
    # Wine's own fonts (Tahoma behind "MS Shell Dlg", Marlett for the caption buttons) live in the fonts-wine package,
    # which this Wine does not register in a prefix; without them Latin dialogs fall back to a Japanese font that
    # draws a backslash as a yen sign. In the prefix's Fonts folder they load as on Windows.
    # Tahoma's bold face is left out: under this Wine a bold face does not reach its linked fonts (below), so bold
    # Japanese captions showed boxes, while bold drawn from the regular face reaches them.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    for font in /usr/share/wine/fonts/*.ttf; do
        [ "${font##*/}" = tahomabd.ttf ] || cp -u "$font" "$prefix/drive_c/windows/Fonts/"
    done
    rm -f "$prefix/drive_c/windows/Fonts/tahomabd.ttf"
    # Tahoma (captions, Latin dialogs) reaches Japanese glyphs through the IPA font, as Windows links Tahoma to its
    # Japanese font.
    for view in /reg:64 /reg:32; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
            /d 'ipagp.ttf,IPAPGothic' /f $view >/dev/null 2>&1
    done
    # Japanese text needs a font with its glyphs under the names the dialogs ask for.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS PGothic" /t REG_SZ /d "IPAPGothic" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Gothic" /t REG_SZ /d "IPAGothic" /f >/dev/null 2>&1
    # Without a window manager (Xvfb) Wine must draw window frames and captions itself, and must not wait for a
    # window manager to map or unmap its windows.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

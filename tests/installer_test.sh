#!/usr/bin/env bash
# Setup and uninstall in a fresh 64-bit Wine prefix: silent install, the installed program opens its settings
# window on the installed defaults and finds the display program through its own registry view, INIT_DATA ran, the
# installed module checker answers an author; silent uninstall ends that window (HALT) and leaves no program file,
# no value of Setup and no browser entry, and keeps the user's own data. SKYLUME_ARCH names the build (i686: the
# installer as shipped, a 32-bit program in Program Files (x86) reading the 32-bit registry view).
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
source "$ROOT/scripts/prefix.sh"
ARCH=${SKYLUME_ARCH:-x86_64}
WORK=$(mktemp -d /tmp/skylume-installer-XXXXXX)
export WINEPREFIX="$WORK/prefix"
failures=0
check() { # description, command...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
cleanup() {
    WINEPREFIX="$WORK/prefix" wineserver -k 2>/dev/null
    WINEPREFIX="$WORK/prefix" wineserver -w 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

SETUP=$("$ROOT/scripts/build-installer" --arch "$ARCH" --out "$WORK/SkylumeSetup.exe" 2>"$WORK/build.log") ||
    { cat "$WORK/build.log"; exit 1; }
prepare_prefix "$WINEPREFIX"
DRIVE="$WINEPREFIX/drive_c"
PROGRAM_DIR="$(program_files "$ARCH")\\Quillon\\Skylume"
VIEW=$(reg_view "$ARCH")
REGSVR=$(regsvr "$ARCH")
PROGRAM="$(winepath -u "$PROGRAM_DIR")"
COMMON="$DRIVE/ProgramData/Quillon/Skylume"
USERDATA="$DRIVE/users/$(id -un)/AppData/Roaming/Quillon/Skylume/Modules"
MENU_KEY='HKCU\Software\Microsoft\Internet Explorer\MenuExt\Add RSS Feed to Skylume'
regvalue() { wine reg query "$1" /v "$2" ${3:-} 2>/dev/null | tr -d '\r' | grep -q "$2"; }

wine "$SETUP" /S
wineserver -w
echo "installed for $ARCH"
for f in SkylumeSetting.exe DaystreamSetting_jpn.dll SkylumeSetting_fra.dll SkylumeSetting_gbr.dll \
    SkylumeSetting_ita.dll SkylumeSetting_deu.dll DaystreamSetting_usa.dll SkylumeSetting_esp.dll \
    SkylumeSetting_rus.dll SkylumeModuleCheck.exe uninstall.exe; do
    check "program folder holds $f" test -f "$PROGRAM/$f"
done
check "program folder holds the English help file (English system)" cmp -s "$BUILD/$ARCH/bin/Skylume.chm" "$PROGRAM/Skylume.chm"
while IFS= read -r f; do
    check "program folder holds $f" cmp -s "$ROOT/data/program/$f" "$PROGRAM/$f"
done < <(cd "$ROOT/data/program" && find . -type f | sed 's|^\./||')
while IFS= read -r f; do
    # INIT_DATA rewrites the data files that name pictures (absolute photo folders, relocated backgrounds).
    case "$f" in
    *data.xml) check "all-users data holds $f" test -s "$COMMON/$f" ;;
    *) check "all-users data holds $f" cmp -s "$ROOT/data/common/$f" "$COMMON/$f" ;;
    esac
done < <(cd "$ROOT/data/common" && find . -type f | sed 's|^\./||')
while IFS= read -r f; do
    check "program folder holds the language defaults $f" cmp -s "$ROOT/data/defaults/$f" "$PROGRAM/Defaults/$f"
done < <(cd "$ROOT/data/defaults" && find . -type f | sed 's|^\./||')
check "INIT_DATA: the clocks of an English system are the US English defaults" \
    cmp -s "$ROOT/data/common/Modules/Clock/data.xml" "$COMMON/Modules/Clock/data.xml"
check "ApplicationPath in the view the program reads" \
    sh -c "wine reg query 'HKLM\\SOFTWARE\\Quillon\\Tessel' /v ApplicationPath $VIEW 2>/dev/null | tr -d '\\r' | grep -qF '$PROGRAM_DIR\\Skylume.exe'"
check "INIT_DATA: browser menu entry" regvalue "$MENU_KEY" Contexts
check "INIT_DATA: browser menu script" test -f "$PROGRAM/aiesc.html"
if ls "$ROOT/data/common/Background/"*.jpg "$ROOT/data/common/Background/"*.swf >/dev/null 2>&1; then
    check "INIT_DATA: default background list" test -f "$COMMON/Modules/bkimglist.dat"
fi

# A module author runs the installed checker: its usage in the system's language, the shipped sample accepted
# whole, a broken copy refused with the item's key and exit code 1.
mkdir -p "$DRIVE/authors"
cp -r "$ROOT/data/sample-module/Weather" "$DRIVE/authors/"
mkdir -p "$DRIVE/authors/Broken"
printf '%s' "<conf_window name='Broken'><item name='speed'><control name='slider'><label>Speed</label><min>5</min>" \
    "<max>5</max></control></item></conf_window>" >"$DRIVE/authors/Broken/preference.xml"
checker() { wine "$PROGRAM_DIR\\SkylumeModuleCheck.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
usage_output=$(checker /?); usage_status=$?
check "the checker's /? exits 0" test "$usage_status" -eq 0
check "the checker prints its usage in English" grep -q 'Exit status: 0 when' <<<"$usage_output"
sample_output=$(checker 'C:\authors\Weather' --language usa); sample_status=$?
check "the checker accepts the sample (exit 0)" test "$sample_status" -eq 0
check "the checker lists the sample's items" grep -q 'accepted  \[Display\] interval (slider)' <<<"$sample_output"
broken_output=$(checker 'C:\authors\Broken' --language usa); broken_status=$?
check "the checker refuses a broken copy (exit 1)" test "$broken_status" -eq 1
check "the checker names the refused item" grep -q 'refused   speed - slider: min is not less than max' <<<"$broken_output"

# The installed program, with the Flash stand-in the test machine needs, opens its window on the installed data.
mkdir -p "$DRIVE/SkylumeStandIns"
cp "$BUILD/$ARCH/bin/FlashStandIn.dll" "$DRIVE/SkylumeStandIns/"
wine "$REGSVR" /s 'C:\SkylumeStandIns\FlashStandIn.dll'
# The wake-up timer switched on: at OK the window makes the Startup shortcut to "Wakeup.exe" beside the display
# program that "ApplicationPath" names, and starts it. Only a program that reads the registry view Setup wrote
# finds it.
cp "$BUILD/$ARCH/bin/Wakeup.exe" "$PROGRAM/"
wine "$PROGRAM_DIR\\SkylumeSetting.exe" &
settings=$!
opens_window() { wine "$BUILD/$ARCH/bin/show_settings.exe" 0 >/dev/null; }
check "the installed program opens its settings window" opens_window
check "the window's General page took the installed defaults" grep -q "<conf_data" "$USERDATA/data.xml"
wine "$BUILD/$ARCH/bin/show_settings.exe" click 2 1016 >/dev/null # the wake-up page's switch
wine "$BUILD/$ARCH/bin/show_settings.exe" ok >/dev/null
wait "$settings"
started_wakeup() { for _ in $(seq 100); do [ -s "$PROGRAM/wakeup.log" ] && return 0; sleep 0.2; done; return 1; }
check "the program found the display program through its registry view" started_wakeup
wineserver -k # ends the wake-up program
rm -f "$PROGRAM/Wakeup.exe" "$PROGRAM/wakeup.log"

wine "$PROGRAM_DIR\\SkylumeSetting.exe" &
settings=$!
check "the installed program opens its settings window again" opens_window
echo "<conf_data><mine/></conf_data>" >"$USERDATA/own.xml"

# Uninstalled while the settings window is still open: HALT ends it.
wine "$PROGRAM/uninstall.exe" /S
timeout 180 wineserver -w # the uninstaller runs on from a copy of itself; wait for it and everything it ends
check "HALT ended the open settings window" absent kill -0 "$settings"
check "the checker is gone" absent test -e "$PROGRAM/SkylumeModuleCheck.exe"
check "no program folder left" absent test -e "$PROGRAM"
check "no ApplicationPath left" absent regvalue 'HKLM\SOFTWARE\Quillon\Tessel' ApplicationPath "$VIEW"
check "no uninstall entry left" absent regvalue \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SkylumeSettings' DisplayName "$VIEW"
check "no browser menu entry left" absent regvalue "$MENU_KEY" Contexts
check "no all-users default data left" absent test -e "$COMMON/Modules/data.xml"
check "the user's own data stays" test -f "$USERDATA/own.xml"
check "the user's own settings stay" test -f "$USERDATA/data.xml"

# On a Japanese Windows Setup installs the Japanese help file under the same name.
LC_ALL=ja_JP.UTF-8 wine "$SETUP" /S
wineserver -w
check "program folder holds the Japanese help file (Japanese system)" \
    cmp -s "$BUILD/$ARCH/bin/Skylume_jpn.chm" "$PROGRAM/Skylume.chm"
check "INIT_DATA: the clocks of a Japanese system are the Japanese defaults" \
    cmp -s "$ROOT/data/defaults/jpn/Clock/data.xml" "$COMMON/Modules/Clock/data.xml"
japanese_usage=$(LC_ALL=ja_JP.UTF-8 checker /?)
check "the checker prints its usage in Japanese (Japanese system)" grep -q '終了コード' <<<"$japanese_usage"
wine "$PROGRAM/uninstall.exe" /S
wineserver -w
check "no program folder left after the second uninstall" absent test -e "$PROGRAM"

echo "$failures failed"
[ "$failures" -eq 0 ]

# shellcheck shell=bash
# Sourced by the Wine scripts: the environment the Windows build runs in under
# Wine. Argument: the Windows build folder. Its Wine prefix (BUILD/wineprefix)
# is made on first use; the wineserver that serves it starts in the network
# namespace of the first program that runs, so each namespace needs a prefix
# of its own (OSTREL_WINEPREFIX names another).
build_dir=$1
sdk=$(sed -n 's/^OSTREL_QT_MINGW:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
if [[ -z $sdk || ! -d $sdk/bin ]]; then
    echo "no Qt SDK recorded in $build_dir/CMakeCache.txt (OSTREL_QT_MINGW)" >&2
    exit 1
fi
export WINEPREFIX=${OSTREL_WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs on first use.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936, the users' own: texts reach the console and the named
# mutex in GBK as on a Chinese Windows.
{ export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8; } 2>/dev/null
export QT_QPA_PLATFORM=offscreen
export QT_PLUGIN_PATH=$sdk/plugins
unset DISPLAY WAYLAND_DISPLAY
if [[ ! -d $WINEPREFIX ]]; then
    wineboot -i >/dev/null 2>&1
    # Wine's null display driver: windows exist (Qt's and the socket
    # engine's hidden ones need them) without any display.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
fi
# The Qt and MinGW runtime DLLs, found as if they stood beside the programs.
WINEPATH=$(winepath -w "$sdk/bin" 2>/dev/null)
export WINEPATH

#!/usr/bin/env bash
# Plants findings for every tool in the demo prefix, so each has something
# real to show: registry orphans for the seven registry rules, junk files in
# the temp, cache and cookie folders (and the session's recycle bin), Run
# entries and usage traces.
#   plant-demo.sh PROGRAM_FOLDER
# Run with the demo Wine session started (WINEPREFIX and the rest set, see
# wine-session.sh). Safe to run again: it only sets what it set before.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

program=${1:?usage: plant-demo.sh PROGRAM_FOLDER}
: "${WINEPREFIX:?start the demo Wine session first}"
drive_c="$WINEPREFIX/drive_c"
[ -d "$drive_c/users" ] || { echo "plant-demo: no Wine prefix at $WINEPREFIX" >&2; exit 1; }

# The prefix's user: the one folder under users/ that is not Public.
user=
for dir in "$drive_c"/users/*/; do
  name=$(basename "$dir")
  case "$name" in Public|Default|"Default User"|"All Users") continue ;; esac
  user=$name
  break
done
[ -n "$user" ] || { echo "plant-demo: no user folder in $drive_c/users" >&2; exit 1; }
home="$drive_c/users/$user"

# --- Registry ----------------------------------------------------------------
# One import for everything: a single Wine process instead of one per value.
# Every path named here is missing on purpose ("SpruceGone" never exists).
# The file lives in the prefix so that reg sees it as C:\spruce-demo.reg.
regfile="$drive_c/spruce-demo.reg"
trap 'rm -f "$regfile"' EXIT
cat >"$regfile" <<'EOF'
REGEDIT4

; Shared DLL counts of DLLs that are gone.
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\Program Files\\SpruceGone\\gone1.dll"=dword:00000001
"C:\\windows\\system32\\sprucegone2.dll"=dword:00000002

; Empty file-extension keys.
[HKEY_CLASSES_ROOT\.spruceempty]

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.sprucex]

; An installer folder that is gone.
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\Folders]
"C:\\Program Files\\SpruceGone\\Data"=""

; Help files whose folders are gone.
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Help]
"gone.hlp"="C:\\NoSuchHelp"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Html Help]
"gone.chm"="C:\\NoSuchHelp"

; A module usage record of a module that is gone. A key name cannot hold a
; backslash, so module paths are written with forward slashes, as Windows does.
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\ModuleUsage\C:/Program Files/SpruceGone/gone.ocx]
".Owner"="SpruceGone"

; Recent-file lists naming files that are gone.
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU]
"a"="C:\\SpruceGone\\report.doc"
"MRUList"="a"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU\txt]
"a"="C:\\SpruceGone\\notes.txt"
"MRUList"="a"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Paint\Recent File List]
"File1"="C:\\SpruceGone\\picture.bmp"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Wordpad\Recent File List]
"File1"="C:\\SpruceGone\\letter.doc"
"File2"="C:\\SpruceGone\\memo.rtf"

; Application keys whose paths are gone (leaf keys under SOFTWARE).
[HKEY_CURRENT_USER\SOFTWARE\SpruceDemoVendor\App]
"Path"="C:\\Program Files\\SpruceGone\\app.exe"
"Setup"="C:\\Program Files\\SpruceGone\\setup.exe -silent"

[HKEY_LOCAL_MACHINE\SOFTWARE\SpruceDemoVendor\Tool]
"InstallDir"="%ProgramFiles%\\SpruceGone\\Tool\\"

; Skipped by the demo ignore list (ignoreRegClean.dat in the program folder).
[HKEY_CURRENT_USER\SOFTWARE\SpruceDemoIgnored\App]
"Path"="C:\\Program Files\\SpruceGone\\ignored.exe"

; Programs started at log-on.
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"SpruceDemoUpdater"="C:\\Program Files\\SpruceGone\\updater.exe /background"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run]
"SpruceDemoTray"="C:\\Program Files\\SpruceGone\\tray.exe"

; Usage traces.
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="notepad\\1"
"b"="regedit\\1"
"MRUList"="ab"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://www.spruce.co.kr/"
"url2"="http://127.0.0.1/spruce/adpan.htm"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\IntelliForms\Storage2]
"SpruceDemo"=hex:01,02,03,04

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RecentDocs]
"0"=hex:73,00,70,00,72,00,75,00,63,00,65,00,00,00
"MRUListEx"=hex:00,00,00,00,ff,ff,ff,ff

[HKEY_CURRENT_USER\Software\Microsoft\MediaPlayer\Player\RecentFileList]
"File0"="C:\\SpruceGone\\song.mp3"

[HKEY_CURRENT_USER\Software\Microsoft\MediaPlayer\Player\RecentURLList]
"URL0"="http://127.0.0.1/spruce/radio.asx"

[HKEY_CURRENT_USER\Software\Microsoft\MSNMessenger]
"User.NET Messenger Service"="spruce.demo@example.com"
EOF
"$ROOT/scripts/wine" reg import 'C:\spruce-demo.reg' </dev/null >/dev/null 2>&1 ||
  { echo "plant-demo: reg import failed" >&2; exit 1; }

# --- Files -------------------------------------------------------------------
# plant FILE SIZE: a file of SIZE bytes (rewritten on every run).
plant() {
  mkdir -p "$(dirname "$1")"
  head -c "$2" /dev/zero >"$1"
}

temp="$home/Temp"
plant "$temp/spruce-demo-setup.tmp" 1048576
plant "$temp/spruce-demo.log" 20480
plant "$temp/spruce-demo-cache/page1.tmp" 4096
plant "$temp/spruce-demo-cache/page2.tmp" 8192
plant "$temp/spruce-demo-cache/deeper/image.tmp" 65536
plant "$drive_c/windows/temp/spruce-demo-install.tmp" 262144
plant "$drive_c/windows/temp/spruce-demo/patch.log" 2048

web="$home/AppData/Local/Microsoft/Windows"
plant "$web/INetCache/SPRUCE01/adpan[1].htm" 3072
plant "$web/INetCache/SPRUCE01/logo[1].gif" 12288
plant "$web/INetCookies/$user@spruce.co.kr.txt" 256
plant "$web/INetCookies/$user@example.com.txt" 128
plant "$home/AppData/Roaming/Microsoft/Windows/Recent/spruce-demo.txt.lnk" 512

# The recycle bin of Wine is the XDG trash; only the session's own one (set by
# wine-session.sh) is touched, never the user's real trash.
if [ -n "${XDG_DATA_HOME:-}" ] && [ "$XDG_DATA_HOME" != "$HOME/.local/share" ]; then
  trash="$XDG_DATA_HOME/Trash"
  plant "$trash/files/spruce-demo-old.txt" 5000
  mkdir -p "$trash/info"
  printf '[Trash Info]\nPath=%s\nDeletionDate=2024-01-01T09:00:00\n' \
    "$home/Desktop/spruce-demo-old.txt" >"$trash/info/spruce-demo-old.txt.trashinfo"
fi

# --- Program folder ------------------------------------------------------------
mkdir -p "$program"
# The user's own ignore list is left alone; a fresh folder gets one entry.
[ -e "$program/ignoreRegClean.dat" ] || printf 'SpruceDemoIgnored\r\n' >"$program/ignoreRegClean.dat"

echo "plant-demo: planted for user $user"

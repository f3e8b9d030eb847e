#!/bin/sh
# Sample setup program for the Linux demo: "installs" the sample application
# by recording its version and command where the launcher's IniFile points
# (a bare name: the Windows directory, $XDG_CONFIG_HOME or ~/.config).
here=$(cd "$(dirname "$0")" && pwd)
config=${XDG_CONFIG_HOME:-$HOME/.config}
mkdir -p "$config"
printf '[Auto]\nVersion=3\nCommand="%s/sample-app.sh" --hello\n' "$here" > "$config/sampleapp.ini"
echo "Sample setup: Sample App 3 is now installed (recorded in $config/sampleapp.ini)."

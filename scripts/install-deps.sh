#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing, and generates the
# ja_JP.UTF-8 and en_US.UTF-8 locales (Wine takes code pages 932 and 1252 from them). Needs root only when something is missing.
set -u
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

need=()
for pkg in mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 wine wine64 xvfb xauth \
           xclip xdotool locales imagemagick fonts-vlgothic fonts-ipafont-gothic fonts-wine \
           googletest cmake ninja-build g++ python3 file \
           clang libclang-rt-14-dev zip; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "installing: ${need[*]}"
    "${sudo_cmd[@]}" apt-get update -q >/dev/null || { echo "apt-get update failed" >&2; exit 1; }
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${need[@]}" \
        >/tmp/quillmate-apt.log 2>&1 || { tail -n 40 /tmp/quillmate-apt.log; exit 1; }
fi

# ja_JP gives Wine code page 932; en_US the second run's code page 1252.
for loc in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8\$" && continue
    "${sudo_cmd[@]}" sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen ||
        echo "$loc.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null || { echo "locale-gen failed" >&2; exit 1; }
done

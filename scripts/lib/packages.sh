# Installs the Debian packages named as arguments that are not installed yet.
# Only root can install; anyone else is told what is missing.
# Names may carry an architecture (wine32:i386); that architecture is enabled.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    return 1
  fi
  for p in "${missing[@]}"; do
    case "$p" in
      *:i386) dpkg --print-foreign-architectures | grep -qx i386 ||
                dpkg --add-architecture i386 ;;
    esac
  done
  echo "installing: ${missing[*]}"
  apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" >/dev/null
}

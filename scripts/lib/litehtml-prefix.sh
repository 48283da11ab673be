# The page engine's cache folders: litehtml 0.9 (with the gumbo it carries), static, built from
# Debian's source tarball by scripts/build-litehtml.sh. Their names carry the recipe's version,
# so a changed recipe builds a new cache instead of taking an older one. The Linux one lives
# beside the Windows Qt cache where that folder may be written, else in the user's cache.
if [ -z "${QUORVEL_LITEHTML_LINUX:-}" ]; then
  if mkdir -p /var/cache/quorvel 2>/dev/null && [ -w /var/cache/quorvel ]; then
    QUORVEL_LITEHTML_LINUX=/var/cache/quorvel/litehtml-0.9-linux-r1
  else
    QUORVEL_LITEHTML_LINUX=${XDG_CACHE_HOME:-$HOME/.cache}/quorvel/litehtml-0.9-linux-r1
  fi
fi
litehtml_linux=$QUORVEL_LITEHTML_LINUX
litehtml_windows=${QUORVEL_LITEHTML_WINDOWS:-/var/cache/quorvel/litehtml-0.9-mingw-r1}

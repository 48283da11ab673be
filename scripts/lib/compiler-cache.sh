# Sourced by the build scripts from the clone's top folder: `launcher` holds the CMake options
# that put ccache in front of the compilers when it is installed. The cache lives outside the
# clone (beside the Windows Qt cache when that folder may be written, else ccache's own folder),
# and paths are taken relative to the clone, so a fresh clone of the same sources hits it too.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd -P)}
  # Objects with debug information would otherwise be keyed by the clone's folder too; theirs
  # then names the folder of the clone that made them, which no test reads.
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  if [ -z "${CCACHE_DIR:-}" ] && mkdir -p /var/cache/quorvel/ccache 2>/dev/null &&
    [ -w /var/cache/quorvel/ccache ]; then
    export CCACHE_DIR=/var/cache/quorvel/ccache
  fi
fi

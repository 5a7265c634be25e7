# Sourced by the scripts that build (after setting $top): the compiler cache. Every build folder and
# every clone of the project shares one cache, so a clean clone of sources built before on this
# machine compiles almost nothing. Sets `launcher` for cmake.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths inside the clone are hashed relative to it, so another clone's objects match.
  export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
  # Four build folders (plain, sanitized, threads, fuzz) fit.
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-20G}"
fi

# The start of a recipe that builds something once into a cache folder outside the clone: its
# work folder and stamp, and the verified Debian sources. A built cache ends the script at once.
#   cache_recipe_start NAME PREFIX WHAT [PACKAGES]
# PACKAGES names the set of scripts/install-deps.sh the recipe needs (default windows-qt).
# sets prefix, work, stamp and started, and defines say.
cache_recipe_start() {
  recipe_name=$1
  prefix=$2
  work=${prefix}.work
  stamp=$prefix/.quorvel-built
  started=$(date +%s)
  if [ -f "$stamp" ]; then
    say "$3 already built in $prefix"
    exit 0
  fi
  bash scripts/install-deps.sh "${4:-windows-qt}"
  mkdir -p "$work"
  # shellcheck source=scripts/lib/debian-source.sh
  . scripts/lib/debian-source.sh
  debian_source_init "$work"
}
say() { echo "$recipe_name: $*"; }

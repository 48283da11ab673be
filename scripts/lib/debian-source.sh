# Fetches Debian source packages through a private apt configuration beside a build cache, so
# the system's apt sources are never changed; apt checks the downloads against the signed index
# and dpkg-source checks every file against the .dsc. The caller defines say().
#   debian_source_init WORK   the private configuration in WORK/apt, sources unpacked in WORK/src
#   debian_source_update      reads the source index (only when something is to be fetched)
#   debian_source_fetch PACKAGE FOLDER   unpacks PACKAGE into $src/FOLDER, Debian's patches unapplied
debian_source_init() { # WORK
  local apt_dir=$1/apt uri
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
  # The same archive and suite as the system's own binary packages, for source packages only.
  uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $0 !~ /security/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  debian_source_uri=$uri
  debian_source_suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  cat >"$apt_dir/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $debian_source_suite main
SOURCES
  apt_private=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o Acquire::Retries=5
    -o APT::Sandbox::User=root)
  src=$1/src
  mkdir -p "$src"
}

debian_source_update() {
  say "fetching the source index for $debian_source_suite from $debian_source_uri (private apt configuration)"
  apt-get "${apt_private[@]}" update -qq
}

debian_source_fetch() { # PACKAGE FOLDER
  local package=$1 folder=$2 attempt dsc
  [ -d "$src/$folder" ] && return 0
  for attempt in 1 2 3; do
    say "fetching $package (attempt $attempt)"
    if (cd "$src" && apt-get "${apt_private[@]}" source -qq --download-only "$package"); then
      # dpkg-source checks every file's size and checksum against the .dsc that apt verified.
      dsc=$(ls "$src/${package}"_*.dsc | head -1)
      rm -rf "$src/unpack"
      (cd "$src" && dpkg-source --no-copy --skip-patches -x "$dsc" unpack >/dev/null)
      mv "$src/unpack" "$src/$folder"
      return 0
    fi
    sleep 5
  done
  return 1
}

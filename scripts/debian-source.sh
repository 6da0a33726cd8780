# Sourced by the scripts that build from Debian's own source packages (build-qt-mingw.sh,
# build-mecab-mingw.sh): an apt of their own under WORK/apt with a deb-src entry, so that the
# system's apt sources are not touched, its lists brought up to date. Sets debian_apt_opts,
# the options that make apt-get use it. Needs the sourcing script's log function.
debian_source_apt() {
    local apt=$1/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
        >"$apt/sources.list"
    debian_apt_opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
    log_name=apt-update log apt-get "${debian_apt_opts[@]}" update
}

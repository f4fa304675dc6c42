#!/usr/bin/env bash
# Times kist-cli against the peer tools on the same archives: listing, whole extraction into a
# fresh folder and creation (zip, tar.zst, tar.xz), interleaved and repeated, plus the machine's
# limits (copying the tree, reading the archive), and listing a zip of a million entries. Prints one
# table of medians, MB/s, peak memory and Kist/fastest peer.
#
#   bash bench/run.sh                     full sizes, data under /work/benchdata/full
#   KIST_BENCH_SCALE=0.05 bash bench/run.sh   quick run on scaled-down trees
#
# KIST_BENCH_DATA picks the data folder, KIST_BENCH_REPEAT the repetitions (default 3),
# KIST_BENCH_JOBS a regular expression over job names ("small zip extract", ...).
#
# Every run writes into a folder of its own and the outputs of the small tree are deleted only
# at the end: the disk's file system reuses the inodes of deleted files only after minutes, and
# extracting thousands of files right after deleting thousands runs several times slower. The
# large tree's four files are deleted after each run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scale=${KIST_BENCH_SCALE:-1.0}
if [[ $scale == 1.0 ]]; then default_data=/work/benchdata/full; else default_data=/work/benchdata/scale-$scale; fi
data=${KIST_BENCH_DATA:-$default_data}
repeat=${KIST_BENCH_REPEAT:-3}
only=${KIST_BENCH_JOBS:-.}

# The peer tools, installed when missing (unrar comes from Debian's non-free component, which
# scripts/setup.sh enables).
missing=()
for tool in unzip:unzip zip:zip 7zz:7zip bsdtar:libarchive-tools unrar:unrar rar:rar xz:xz-utils \
    zstd:zstd; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if ((${#missing[@]})); then
    sudo=(); [[ $(id -u) == 0 ]] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >/dev/null
fi

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIST_BUILD_TESTS=OFF \
    -DKIST_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target kist-cli rar_library_floor >/dev/null
kist=$root/build-bench/src/kist-cli
rar_floor=$root/build-bench/bench/rar_library_floor

KIST_BENCH_SCALE=$scale /usr/bin/python3 bench/make_data.py "$data"
# A run right after another waits until the last one's outputs have been deleted six minutes:
# ext4 without a journal skips freed inodes for up to that long when it makes files (one minute,
# plus five while their table is not written back), and every tool extracting the small tree
# then takes several times longer.
deleted=$data/.outputs-deleted
if [[ -f $deleted ]]; then
    settle=$(($(stat -c %Y "$deleted") + 360 - $(date +%s)))
    if ((settle > 0)); then
        echo "waiting ${settle} s for the last run's deleted files to settle" >&2
        sleep "$settle"
    fi
fi
work=$data/out.$$
mkdir -p "$work"
results=$work/results.tsv
: >"$results"
trap 'rm -rf "$work"; touch "$deleted"' EXIT
export KIST_PASSWORD=
# kist-cli keeps remembered encodings in its settings: a private folder keeps them out.
export XDG_CONFIG_HOME=$work/config
# tar -I 'zstd -T0' and tar -I 'xz -T0' as one word each: the job commands split at spaces.
# Named after the archive's last extension.
for compressor in zst:zstd xz:xz; do
    printf '#!/bin/sh\nexec %s -T0 "$@"\n' "${compressor#*:}" >"$work/${compressor%%:*}-T0"
    chmod +x "$work/${compressor%%:*}-T0"
done

run_number=0
# One timed run: appends "job tool seconds peak-kB" to the results.
timed() {
    local job=$1 tool=$2
    shift 2
    run_number=$((run_number + 1))
    local out=$work/run$run_number
    mkdir -p "$out"
    local command=("${@//@OUT@/$out}")
    # Timed to the microsecond: time's own figure has centiseconds, too coarse for runs of 0.1 s.
    local start=$EPOCHREALTIME
    if ! /usr/bin/time -f '%M' -o "$work/time" "${command[@]}" >/dev/null 2>"$work/stderr"; then
        echo "FAILED: $job $tool: ${command[*]}" >&2
        tail -3 "$work/stderr" >&2
        return
    fi
    local seconds
    seconds=$(python3 -c "print(f'{$EPOCHREALTIME - $start:.6f}')")
    read -r peak <"$work/time"
    printf '%s\t%s\t%s\t%s\n' "$job" "$tool" "$seconds" "$peak" >>"$results"
    # A few large files free no inodes worth waiting for; their space is needed.
    if [[ $job == large* ]]; then rm -rf "$out"; fi
}

# Runs every "tool|command" of a job once per round, the tools in turn, for `repeat` rounds.
job() {
    local name=$1 bytes=$2
    shift 2
    [[ $name =~ $only ]] || return 0
    echo "$name" >&2
    printf '%s\t%s\n' "$name" "$bytes" >>"$work/sizes"
    for ((round = 0; round < repeat; round++)); do
        local run
        for run in "$@"; do
            local tool=${run%%|*}
            local command
            read -r -a command <<<"${run#*|}"
            timed "$name" "$tool" "${command[@]}"
        done
    done
}

: >"$work/sizes"
for tree in small large; do
    tree_bytes=$(du -sb "$data/$tree" | cut -f1)
    for format in zip tar tar.gz tar.bz2 tar.xz default.tar.xz tar.zst 7z default.7z rar \
        default.rar solid.rar; do
        archive=$data/$tree.$format
        case $format in
        zip) peers=("unzip|unzip -q $archive -d @OUT@" "7zz|7zz x -bd -bso0 -o@OUT@ $archive"
                    "bsdtar|bsdtar -xf $archive -C @OUT@")
             lists=("unzip|unzip -l $archive" "7zz|7zz l $archive" "bsdtar|bsdtar -tvf $archive") ;;
        tar) peers=("tar|tar -xf $archive -C @OUT@" "bsdtar|bsdtar -xf $archive -C @OUT@")
             lists=("tar|tar -tvf $archive" "bsdtar|bsdtar -tvf $archive") ;;
        tar.gz) peers=("tar|tar -xzf $archive -C @OUT@" "bsdtar|bsdtar -xf $archive -C @OUT@")
                lists=("tar|tar -tvzf $archive" "bsdtar|bsdtar -tvf $archive") ;;
        tar.bz2) peers=("tar|tar -xjf $archive -C @OUT@" "bsdtar|bsdtar -xf $archive -C @OUT@")
                 lists=("tar|tar -tvjf $archive" "bsdtar|bsdtar -tvf $archive") ;;
        tar.xz | default.tar.xz) peers=("tar|tar -xJf $archive -C @OUT@" "bsdtar|bsdtar -xf $archive -C @OUT@")
                lists=("tar|tar -tvJf $archive" "bsdtar|bsdtar -tvf $archive") ;;
        tar.zst) peers=("tar|tar --zstd -xf $archive -C @OUT@" "bsdtar|bsdtar -xf $archive -C @OUT@")
                 lists=("tar|tar --zstd -tvf $archive" "bsdtar|bsdtar -tvf $archive") ;;
        # Kist decodes 7z with libarchive: bsdtar writing every entry to stdout is that decoder's
        # own time.
        7z | default.7z) peers=("7zz|7zz x -bd -bso0 -o@OUT@ $archive" "bsdtar|bsdtar -xf $archive -C @OUT@"
                   "limit:decode|bsdtar -xOf $archive")
            lists=("7zz|7zz l $archive" "bsdtar|bsdtar -tvf $archive") ;;
        # Kist extracts RAR through the RAR library: its bare extraction loop is the floor.
        rar | default.rar | solid.rar) peers=("unrar|unrar x -idq $archive @OUT@/" "bsdtar|bsdtar -xf $archive -C @OUT@"
                    "limit:libunrar|$rar_floor $archive @OUT@")
             lists=("unrar|unrar l $archive" "bsdtar|bsdtar -tvf $archive") ;;
        esac
        archive_bytes=$(stat -c %s "$archive")
        job "$tree $format list" "$archive_bytes" "kist|$kist list $archive" "${lists[@]}"
        job "$tree $format extract" "$tree_bytes" "kist|$kist extract -o @OUT@ $archive" \
            "${peers[@]}" "limit:read|cat $archive"
    done
    job "$tree zip create" "$tree_bytes" \
        "kist|$kist create -o @OUT@ --name bench $data/$tree" \
        "zip|zip -q -r @OUT@/bench.zip $data/$tree" \
        "bsdtar|bsdtar --format zip -cf @OUT@/bench.zip -C $data $tree" \
        "limit:cp|cp -r $data/$tree @OUT@/"
    # Both sides at the compressors' default levels (zstd 3, xz 6), on every core.
    for format in tar.zst tar.xz; do
        job "$tree $format create" "$tree_bytes" \
            "kist|$kist create -o @OUT@ --name bench --format $format $data/$tree" \
            "tar|tar -I $work/${format#tar.}-T0 -cf @OUT@/bench.$format -C $data $tree"
    done
done

# A million stored entries of a few bytes, whatever the scale: listing cost grows with the number
# of entries alone.
huge=$data/huge.zip
job "huge zip list" "$(stat -c %s "$huge")" "kist|$kist list $huge" "unzip|unzip -l $huge" \
    "bsdtar|bsdtar -tf $huge"

/usr/bin/python3 "$root/bench/report.py" "$results" "$work/sizes"

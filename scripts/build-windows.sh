#!/usr/bin/env bash
# Cross-builds marksafe for 64-bit Windows and runs its tests under Wine.
#
#   scripts/build-windows.sh [--no-tests] [--build-dir DIR]
#
# On a fresh Debian machine it installs MinGW-w64 and Wine, fetches the
# sources of SQLite 3, JsonCpp and LZ4 from Debian's source packages (adding a
# deb-src entry for the mirror the machine already uses), builds them and
# GoogleTest (from /usr/src/googletest) as static Windows libraries under
# third_party/windows/, and then builds marksafe.dll with its import library,
# marksafe.exe and the test executables in build-win/. Nothing fetched is
# committed; a second run reuses what the first one built.
#
# Environment: MARKSAFE_JOBS (default 2) parallel compile jobs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$root/build-win"
run_tests=1
while [ $# -gt 0 ]; do
  case "$1" in
    --no-tests) run_tests=0 ;;
    --build-dir) build_dir="$(realpath -m "$2")"; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done

jobs="${MARKSAFE_JOBS:-2}"
triple=x86_64-w64-mingw32
deps="$root/third_party/windows"
prefix="$deps/prefix"
toolchain="$root/cmake/mingw-w64.cmake"

log() { printf '== %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ---- Tools -----------------------------------------------------------------

install_tools() {
  local missing=()
  command -v ${triple}-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64)
  command -v ${triple}-widl >/dev/null || missing+=(mingw-w64-tools)
  command -v wine >/dev/null || missing+=(wine wine64)
  command -v tclsh >/dev/null || missing+=(tcl)
  command -v dpkg-source >/dev/null || missing+=(dpkg-dev)
  command -v cmake >/dev/null || missing+=(cmake)
  command -v make >/dev/null || missing+=(make)
  command -v gcc >/dev/null || missing+=(gcc)
  command -v xz >/dev/null || missing+=(xz-utils)
  [ -d /usr/src/googletest ] || missing+=(googletest)
  if [ ${#missing[@]} -gt 0 ]; then
    log "Installing ${missing[*]}"
    as_root apt-get update
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y \
      --no-install-recommends "${missing[@]}"
  fi
}

# ---- Third-party sources from Debian ---------------------------------------

# A deb-src stanza for every deb stanza of the machine's apt sources, so that
# the sources come from the same mirror and release as the binaries.
add_deb_src() {
  if apt-cache showsrc sqlite3 2>/dev/null | grep -q '^Package:'; then
    return
  fi
  local out=/etc/apt/sources.list.d/marksafe-deb-src.sources
  local tmp
  tmp="$(mktemp)"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && [ "$f" != "$out" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb([ \n]|$)/ && !/(^|\n)Enabled: *no/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list \
      >"$tmp.list"
    if [ -s "$tmp.list" ]; then
      as_root cp "$tmp.list" /etc/apt/sources.list.d/marksafe-deb-src.list
    fi
    rm -f "$tmp.list"
  fi
  if [ -s "$tmp" ]; then as_root cp "$tmp" "$out"; fi
  rm -f "$tmp"
  log "Added deb-src entries; updating the package lists"
  as_root apt-get update
}

fetch_sources() {
  mkdir -p "$deps/src"
  if ! ls -d "$deps"/src/sqlite3-*/ >/dev/null 2>&1 ||
     ! ls -d "$deps"/src/libjsoncpp-*/ >/dev/null 2>&1; then
    add_deb_src
    log "Fetching the sources of sqlite3 and libjsoncpp"
    (cd "$deps/src" && apt-get source sqlite3 libjsoncpp)
  fi
  if ! ls -d "$deps"/src/lz4-*/ >/dev/null 2>&1; then
    add_deb_src
    log "Fetching the sources of lz4"
    (cd "$deps/src" && apt-get source lz4)
  fi
  if ! ls -d "$deps"/src/libzstd-*/ >/dev/null 2>&1; then
    add_deb_src
    log "Fetching the sources of libzstd"
    # A mirror may list a version whose sources it does not carry (the
    # security archive): each listed version is tried, newest first.
    local version
    for version in $(apt-cache showsrc libzstd | awk '/^Version:/ { print $2 }' |
                     sort -r -V); do
      (cd "$deps/src" && apt-get source "libzstd=$version") && break
    done
    ls -d "$deps"/src/libzstd-*/ >/dev/null 2>&1 || {
      echo "cannot fetch the sources of libzstd" >&2
      return 1
    }
  fi
  lz4_src="$(ls -d "$deps"/src/lz4-*/ | head -n1)"
  zstd_src="$(ls -d "$deps"/src/libzstd-*/ | head -n1)"
  sqlite_src="$(ls -d "$deps"/src/sqlite3-*/ | head -n1)"
  jsoncpp_src="$(ls -d "$deps"/src/libjsoncpp-*/ | head -n1)"
}

# ---- Third-party libraries for Windows -------------------------------------

build_sqlite() {
  [ -f "$prefix/lib/libsqlite3.a" ] && return
  log "Generating the SQLite amalgamation with tclsh"
  local host="$deps/sqlite-host"
  mkdir -p "$host" "$prefix/lib" "$prefix/include"
  if [ -f "$host/sqlite3.c" ] && [ -f "$host/sqlite3.h" ]; then
    :
  elif [ -f "$sqlite_src/sqlite3.c" ]; then
    cp "$sqlite_src/sqlite3.c" "$sqlite_src/sqlite3.h" "$host/"
  else
    (cd "$host" &&
     "$sqlite_src/configure" --disable-tcl --disable-readline >configure.log &&
     make -j"$jobs" sqlite3.c sqlite3.h >make.log)
  fi
  log "Cross-compiling SQLite"
  ${triple}-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
    -c "$host/sqlite3.c" -o "$host/sqlite3.obj"
  ${triple}-gcc-ar-posix rcs "$prefix/lib/libsqlite3.a" "$host/sqlite3.obj"
  cp "$host/sqlite3.h" "$prefix/include/"
}

cmake_dependency() {
  local name="$1" src="$2"
  shift 2
  log "Cross-building $name"
  cmake -S "$src" -B "$deps/build-$name" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$deps/build-$name" -j"$jobs" >/dev/null
  cmake --install "$deps/build-$name" >/dev/null
}

build_jsoncpp() {
  [ -f "$prefix/lib/libjsoncpp.a" ] && return
  cmake_dependency jsoncpp "$jsoncpp_src" \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_EXAMPLE=OFF
}

# zstd (the snapshots of a backup set's history), its C sources compiled
# whole without the assembly decoder, as one static library.
build_zstd() {
  [ -f "$prefix/lib/libzstd.a" ] && return
  log "Building zstd for Windows"
  local out="$deps/zstd-build"
  mkdir -p "$out" "$prefix/lib" "$prefix/include"
  local c
  for c in "$zstd_src"/lib/common/*.c "$zstd_src"/lib/compress/*.c \
           "$zstd_src"/lib/decompress/*.c; do
    ${triple}-gcc-posix -O2 -DZSTD_DISABLE_ASM \
      -c "$c" -o "$out/$(basename "$c" .c).obj" &
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  done
  wait
  ${triple}-gcc-ar-posix rcs "$prefix/lib/libzstd.a" "$out"/*.obj
  cp "$zstd_src/lib/zstd.h" "$zstd_src/lib/zstd_errors.h" "$prefix/include/"
}

# Only the block functions of lz4.c are used (Firefox's .jsonlz4 files).
build_lz4() {
  [ -f "$prefix/lib/liblz4.a" ] && return
  log "Cross-compiling LZ4"
  mkdir -p "$deps/lz4-build" "$prefix/lib" "$prefix/include"
  ${triple}-gcc-posix -O2 -c "$lz4_src/lib/lz4.c" -o "$deps/lz4-build/lz4.obj"
  ${triple}-gcc-ar-posix rcs "$prefix/lib/liblz4.a" "$deps/lz4-build/lz4.obj"
  cp "$lz4_src/lib/lz4.h" "$prefix/include/"
}

build_googletest() {
  [ -f "$prefix/lib/libgtest.a" ] && return
  cmake_dependency googletest /usr/src/googletest -DBUILD_GMOCK=ON
}

# CLI11 is a header-only library; the command-line host takes Debian's
# headers as they are.
install_cli11() {
  [ -f "$prefix/lib/cmake/CLI11/CLI11Config.cmake" ] && return
  local headers
  headers="$(dirname "$(dpkg -L libcli11-dev 2>/dev/null | grep '/CLI\.hpp$' | head -n1)")"
  if [ ! -f "$headers/CLI.hpp" ]; then
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y libcli11-dev
    headers="$(dirname "$(dpkg -L libcli11-dev | grep '/CLI\.hpp$' | head -n1)")"
  fi
  mkdir -p "$prefix/include" "$prefix/lib/cmake/CLI11"
  rm -rf "$prefix/include/CLI"
  cp -r "$headers" "$prefix/include/CLI"
  cat >"$prefix/lib/cmake/CLI11/CLI11Config.cmake" <<'EOF'
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  get_filename_component(_cli11_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
  set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_cli11_prefix}/include")
endif()
set(CLI11_FOUND TRUE)
EOF
}

# ---- marksafe --------------------------------------------------------------

build_marksafe() {
  log "Cross-building marksafe"
  local tests=ON
  [ "$run_tests" -eq 1 ] || tests=OFF
  cmake -S "$root" -B "$build_dir" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DMARKSAFE_WINDOWS_DEPS="$prefix" -DMARKSAFE_BUILD_TESTS="$tests" \
    -DMARKSAFE_BUILD_TOOLS=ON >/dev/null
  cmake --build "$build_dir" --target marksafe marksafe_cli -j"$jobs"
  if [ "$run_tests" -eq 1 ]; then
    # Every test executable that builds is run, even when another one does
    # not build; those count as failures in the summary.
    local target
    for target in $(sed -n 's/^[[:space:]]*marksafe_tests(\([a-z_]*\).*/\1/p' \
                      "$root/tests/CMakeLists.txt" | sort -u); do
      [ -n "$(ls "$root/tests/$target"/*.cc 2>/dev/null)" ] || continue
      if ! cmake --build "$build_dir" --target "${target}_tests" -j"$jobs"; then
        unbuilt_tests="$unbuilt_tests ${target}_tests"
        rm -f "$build_dir/tests/${target}_tests.exe"
      fi
    done
  fi
}

# marksafe.dll exports the 33 functions and the marksafe_ extras, under their
# plain names, and nothing else.
check_exports() {
  log "Checking the exports of marksafe.dll"
  local dll="$build_dir/marksafe.dll"
  local expected actual
  expected="$(printf '%s\n' \
    backup_chrome backup_firefox backup_ie backup_ie_pro close_chrome \
    close_firefox export_chrome_2_folder export_firefox_2_folder \
    get_chrome_bk_size get_chrome_size get_firefox_bk_size \
    get_firefox_bookmark_size get_ie_favorites_size get_ie_path \
    import_2_firefox import_2_firefox_from_bk import_2_firefox_from_ie_bk \
    import_chrome_bk_2_firefox import_chrome_bk_2_ie import_firefox_2_chrome \
    import_firefox_bk_2_folder import_folder_2_chrome_bar import_ie_2_chrome \
    init_bookmark is_chrome_running is_firefox_running is_installed_chrome \
    is_installed_firefox is_installed_ie mk_chrome_temp_file \
    release_bookmark restore_chrome restore_firefox_pro \
    marksafe_last_error marksafe_last_report marksafe_set_debug_sink marksafe_version \
    marksafe_profiles marksafe_create_chrome_bookmarks marksafe_export_html \
    marksafe_import_html marksafe_compare marksafe_count marksafe_progress \
    marksafe_accept_incomplete_backups marksafe_close_profile \
    marksafe_backup_part marksafe_restore_favorites \
    marksafe_export_firefox_backup marksafe_browser_backups \
    marksafe_find_browser_backup \
    marksafe_snapshot_part marksafe_prune_snapshots marksafe_history \
    marksafe_find_snapshot marksafe_diff marksafe_snapshot_to_part \
    marksafe_restore_from \
    marksafe_remove_previous_later marksafe_remove_previous_copies \
    marksafe_set_journal marksafe_journals marksafe_undo | sort)"
  actual="$(${triple}-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)"
  if [ "$expected" != "$actual" ]; then
    echo "marksafe.dll exports differ from the expected list:" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    return 1
  fi
  local imports
  imports="$(${triple}-objdump -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')"
  local name
  for name in $imports; do
    case "$name" in
      kernel32.dll|user32.dll|advapi32.dll|shell32.dll|shlwapi.dll|\
      psapi.dll|wtsapi32.dll|msvcrt.dll|ole32.dll|bcrypt.dll|normaliz.dll|\
      rstrtmgr.dll|\
      api-ms-win-*) ;;
      *) echo "marksafe.dll needs a non-system DLL: $name" >&2; return 1 ;;
    esac
  done
  echo "marksafe.dll: $(echo "$actual" | wc -l) exports as expected; imports: $imports"
}

# ---- Tests under Wine --------------------------------------------------------

unbuilt_tests=""

run_wine_tests() {
  log "Running the tests under Wine"
  local work
  work="$(mktemp -d)"
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # As under ctest: no journal unless a test asks for one in its own folder.
  export MARKSAFE_JOURNAL=off
  wine wineboot --init >"$work/wineboot.log" 2>&1 || true
  # Names that start with a dot are shown, not hidden, so that the hidden
  # attribute seen by the tests is the one the library sets.
  wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
  # Windows without a display: the browser-window tests create real ones.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
    >/dev/null 2>&1
  wineserver -w

  local total=0 passed=0 skipped=0 failed=0 failures=""
  local unbuilt
  for unbuilt in $unbuilt_tests; do
    failed=$((failed + 1))
    failures="$failures $unbuilt(does not build)"
  done
  local exe name out summary
  for exe in "$build_dir"/tests/*_tests.exe; do
    [ -e "$exe" ] || continue
    name="$(basename "$exe" .exe)"
    out="$work/$name.log"
    log "  $name"
    # Run from the build folder: Unix paths in the tests then resolve on
    # Wine's drive for the host's root.
    (cd "$build_dir" && WINEPATH="$(winepath -w "$build_dir")" \
      timeout 900 wine "$exe" --gtest_color=no --gtest_brief=1) >"$out" 2>&1 || true
    local ran ok skip bad
    ran="$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$out" | tail -n1)"
    ok="$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$out" | tail -n1)"
    skip="$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[,.].*/\1/p' "$out" | tail -n1)"
    ok="${ok:-0}"; skip="${skip:-0}"
    if [ -z "$ran" ]; then
      # The executable did not finish (crash or time-out).
      ran=0; bad=1
      failures="$failures $name(incomplete)"
      tail -n 30 "$out" >&2
    else
      bad=$((ran - ok - skip))
      if [ "$bad" -gt 0 ]; then
        failures="$failures $name"
        grep -E -B12 '^\[  FAILED  \]' "$out" | head -n 80 >&2
      fi
    fi
    printf '   %-14s run %4d  passed %4d  skipped %3d  failed %3d\n' \
      "$name" "$ran" "$ok" "$skip" "$bad"
    total=$((total + ran)); passed=$((passed + ok))
    skipped=$((skipped + skip)); failed=$((failed + bad))
  done
  # One check that is a single test: counted as passed when it succeeds,
  # otherwise its log is shown.
  single_check() {
    local name="$1"
    shift
    if "$@" >"$work/$name.log" 2>&1; then
      total=$((total + 1)); passed=$((passed + 1))
      printf '   %-14s run %4d  passed %4d  skipped %3d  failed %3d\n' "$name" 1 1 0 0
    else
      total=$((total + 1)); failed=$((failed + 1))
      failures="$failures $name"
      cat "$work/$name.log" >&2
    fi
  }
  # A C host loading marksafe.dll through its import library.
  dll_smoke() {
    ${triple}-gcc-posix -std=c11 -Wall -Wextra -Werror -I"$root/include" \
      "$root/tests/windows/dll_smoke.c" -o "$build_dir/dll_smoke.exe" \
      -L"$build_dir" -lmarksafe &&
      (cd "$build_dir" && timeout 300 wine dll_smoke.exe)
  }
  # The command-line host end to end: its demo runs every backup, restore
  # and conversion on a sandbox of its own; all twelve steps must succeed.
  demo() {
    (cd "$build_dir" && timeout 600 wine tools/marksafe.exe demo) >"$work/demo.out" 2>&1
    local status=$?
    cat "$work/demo.out"
    [ "$status" -eq 0 ] && [ "$(grep -c '^  ok ' "$work/demo.out")" -eq 12 ]
  }
  log "  dll_smoke (C host of marksafe.dll)"
  single_check dll_smoke dll_smoke
  log "  marksafe.exe demo"
  single_check demo demo
  wineserver -k >/dev/null 2>&1 || true
  summary="Windows tests under Wine: $total run, $passed passed, $skipped skipped, $failed failed"
  echo "$summary"
  if [ "$failed" -ne 0 ] || [ "$total" -eq 0 ]; then
    echo "Failing:$failures (logs in $work)" >&2
    return 1
  fi
  rm -rf "$work"
}

install_tools
fetch_sources
build_sqlite
build_jsoncpp
build_lz4
build_zstd
build_googletest
install_cli11
build_marksafe
check_exports
if [ "$run_tests" -eq 1 ]; then run_wine_tests; fi

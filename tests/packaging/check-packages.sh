#!/usr/bin/env bash
# Checks the release packages as a user meets them: unpacks each archive into a temporary
# directory; starts the Linux sample for real on the installed JDK, with no JAVA_TOOL_OPTIONS,
# applies its pending update as an updater would and starts it again; checks the contents of
# the Windows zip and the signatures of launcher.exe and the MSI (signed when
# LAUNCHER_SIGN_PKCS12 is set, unsigned otherwise); installs the MSI under Wine in a prefix of
# its own, starts the installed launcher on the stub JVM (LAUNCHER_STUB_JVM_DLL), applies the
# update, installs a newer MSI over it and uninstalls, leaving nothing.
#   tests/packaging/check-packages.sh [PACKAGE_DIR]     default: build/packages
set -uo pipefail

packages="$(cd "${1:-build/packages}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The files every package holds besides its launcher.
sample_files=(
    README.txt launch.properties settings.properties version
    lib/client__V2.0.3.jar lib/client__V2.1.0.jar
    ext/greeting__V1.9.jar ext/greeting__V2.0.0.jar ext/greeting__V2.1.4.jar
    updates/README.txt updates/2.2.0/deferred_operations updates/2.2.0/update/version
    updates/2.2.0/lib/client__V2.2.0.jar.new
)
# The guide travels with the packages.
mapfile -t doc_files < <(cd "$(dirname "$0")/../../docs" && find . -type f | sed 's|^\./|doc/|')
sample_files+=("${doc_files[@]}")
text_files=(
    README.txt launch.properties settings.properties version
    updates/README.txt updates/2.2.0/deferred_operations updates/2.2.0/update/version
)

# The one archive matching pattern in the package directory.
find_archive() {
    local matches=("$packages"/$1)
    if [ ${#matches[@]} -ne 1 ] || [ ! -f "${matches[0]}" ]; then
        echo "FAIL: expected one package $packages/$1, found: ${matches[*]}" >&2
        return 1
    fi
    echo "${matches[0]}"
}

# Unpacks archive into dir and prints the one top-level folder it holds. Like find_archive,
# reports its failure itself, for the caller to count.
unpack() {
    local archive="$1" dir="$2"
    mkdir -p "$dir"
    (cd "$dir" && cmake -E tar xf "$archive") || { echo "FAIL: cannot unpack $archive" >&2; return 1; }
    local top=("$dir"/*)
    if [ ${#top[@]} -ne 1 ] || [ ! -d "${top[0]}" ]; then
        echo "FAIL: $archive: expected one top-level folder, found: ${top[*]}" >&2
        return 1
    fi
    # Physical path: the launcher knows its directory with links resolved.
    (cd "${top[0]}" && pwd -P)
}

# The package holds exactly the sample files and its launcher, nothing else.
check_file_list() {
    local install="$1" launcher="$2" expected actual
    expected="$(printf '%s\n' "${sample_files[@]}" "$launcher" | sort)"
    actual="$(cd "$install" && find . -type f | sed 's|^\./||' | sort)"
    [ "$expected" = "$actual" ] ||
        fail "$install: files differ from the expected list:$(diff <(echo "$expected") <(echo "$actual") | sed 's/^/\n    /')"
}

# Every jar is a jar, and its manifest carries the version its file name carries.
check_jar_versions() {
    local install="$1" jar version unpacked
    for jar in lib/client__V2.0.3.jar lib/client__V2.1.0.jar ext/greeting__V1.9.jar \
        ext/greeting__V2.0.0.jar ext/greeting__V2.1.4.jar updates/2.2.0/lib/client__V2.2.0.jar.new; do
        [ -f "$install/$jar" ] || continue  # reported by check_file_list
        version="${jar##*__V}"
        version="${version%%.jar*}"
        unpacked="$work/jar-$RANDOM"
        mkdir -p "$unpacked"
        if ! (cd "$unpacked" && cmake -E tar xf "$install/$jar" 2>/dev/null); then
            fail "$install/$jar is not a jar"
        elif ! tr -d '\r' <"$unpacked/META-INF/MANIFEST.MF" | grep -qxF "Implementation-Version: $version"; then
            fail "$install/$jar: manifest lacks Implementation-Version: $version"
        fi
        rm -rf "$unpacked"
    done
}

# Every line of the text files ends as the platform's files do: crlf=1 for CR LF, 0 for LF.
check_line_ends() {
    local install="$1" crlf="$2" file lines with_cr
    for file in "${text_files[@]}"; do
        lines=$(wc -l <"$install/$file")
        with_cr=$(grep -c $'\r$' "$install/$file")
        if [ "$lines" -eq 0 ]; then
            fail "$install/$file is empty or lacks a line end"
        elif [ "$crlf" = 1 ] && [ "$with_cr" -ne "$lines" ]; then
            fail "$install/$file: $((lines - with_cr)) of $lines lines end in LF alone"
        elif [ "$crlf" = 0 ] && [ "$with_cr" -ne 0 ]; then
            fail "$install/$file: $with_cr lines end in CR LF"
        fi
    done
}

# Whether file (CR stripped) holds each of the lines exactly.
expect_lines() {
    local file="$1" line
    shift
    for line in "$@"; do
        tr -d '\r' <"$file" | grep -qxF -- "$line" || fail "$file: no line '$line'"
    done
}

expect_no_line() {
    local file="$1" line="$2"
    if grep -qxF -- "$line" "$file"; then fail "$file: unexpected line '$line'"; fi
}

expect_status() {
    local what="$1" expected="$2" actual="$3"
    if [ "$actual" != "$expected" ]; then
        fail "$what: exit code $actual, expected $expected"
        sed 's/^/    stdout: /' "$work/out" >&2
        sed 's/^/    stderr: /' "$work/err" >&2
    fi
}

# Starts the launcher of install from another directory; stdout in out, stderr in err.
start_launcher() {
    local install="$1"
    shift
    # The packages are built with options every current JVM accepts: nothing in the
    # environment helps.
    (cd "$work" && env -u JAVA_TOOL_OPTIONS -u JDK_JAVA_OPTIONS \
        "$install/launcher" "$@" >"$work/out" 2>"$work/err")
}

check_linux_package() {
    local archive install status jdk_home javac_path
    archive="$(find_archive '*-linux-*.tar.gz')" || { failures=$((failures + 1)); return; }
    install="$(unpack "$archive" "$work/linux")" || { failures=$((failures + 1)); return; }
    echo "Linux package: $(basename "$archive")"

    check_file_list "$install" launcher
    check_jar_versions "$install"
    check_line_ends "$install" 0
    [ -x "$install/launcher" ] || fail "$install/launcher is not executable"
    [ "$(head -c 4 "$install/launcher" | od -An -c | tr -d ' ')" = '177ELF' ] ||
        fail "$install/launcher is not an ELF executable"

    # The JVM: jre beside the launcher, linked to the home of the JDK whose javac is on the PATH.
    javac_path="$(command -v javac)" || { fail "no javac on the PATH"; return; }
    jdk_home="$(dirname "$(dirname "$(readlink -f "$javac_path")")")"
    ln -s "$jdk_home" "$install/jre"

    start_launcher "$install" one "two words"
    status=$?
    expect_status "first start" 0 "$status"
    expect_lines "$work/out" \
        "Size operation not found." \
        "Brantlo Client version: 2.1.0" \
        "classpath: lib/client__V2.1.0.jar:ext/greeting__V2.1.4.jar" \
        "== Demo client 2.1.0 running inside the launcher's JVM ==" \
        "java.class.path  = lib/client__V2.1.0.jar:ext/greeting__V2.1.4.jar" \
        "  [1] one" "  [2] two words" \
        "Hello, one! (greeting loaded from $install/ext/greeting__V2.1.4.jar)"

    # The updater's part: the new files, then the list, copied into the installation.
    (cd "$install/updates/2.2.0" && find . -type f ! -name deferred_operations -print0 |
        xargs -0 -I{} cp --parents {} "$install/")
    cp "$install/updates/2.2.0/deferred_operations" "$install/deferred_operations"

    start_launcher "$install" again
    status=$?
    expect_status "start with the pending update" 0 "$status"
    expect_no_line "$work/out" "Size operation not found."
    expect_lines "$work/out" \
        "Skip delete file 'lib/client.jar' - it doesn't exist" \
        "Brantlo Client version: 2.2.0" \
        "classpath: lib/client__V2.2.0.jar:ext/greeting__V2.1.4.jar" \
        "== Demo client 2.2.0 running inside the launcher's JVM ==" \
        "  [1] again"
    local gone
    for gone in deferred_operations deferred_operations.progress update \
        lib/client__V2.0.3.jar lib/client__V2.2.0.jar.new ext/greeting__V2.0.0.jar; do
        [ ! -e "$install/$gone" ] || fail "$install/$gone is still there after the update"
    done
    [ -f "$install/lib/client__V2.2.0.jar" ] || fail "the new client jar was not renamed into place"
    [ "$(cat "$install/version")" = "2.2.0" ] || fail "version was not replaced"

    # The list is gone: the next start is an ordinary one with the new version.
    start_launcher "$install"
    status=$?
    expect_status "start after the update" 0 "$status"
    expect_lines "$work/out" \
        "Size operation not found." \
        "classpath: lib/client__V2.2.0.jar:ext/greeting__V2.1.4.jar"
    rm -f "$install/jre"
}

check_windows_package() {
    local archive install
    archive="$(find_archive '*-windows-*.zip')" || { failures=$((failures + 1)); return; }
    install="$(unpack "$archive" "$work/windows")" || { failures=$((failures + 1)); return; }
    echo "Windows package: $(basename "$archive")"

    check_file_list "$install" launcher.exe
    check_jar_versions "$install"
    check_line_ends "$install" 1
    [ "$(head -c 2 "$install/launcher.exe")" = MZ ] || fail "$install/launcher.exe is not a Windows executable"
    expect_lines "$install/launch.properties" \
        "jvm.classpath=lib/client.jar;ext/greeting.jar" \
        'jvm.bin.path=jre\bin' \
        'jvm.dll.path=server\jvm.dll' \
        "main.class=com/example/demo/DemoClient"
    expect_lines "$install/updates/2.2.0/deferred_operations" \
        'operation.1.file=lib\client__V2.2.0.jar.new' \
        'operation.1.destination=lib\client__V2.2.0.jar' \
        'operation.5.file=update\version'
    if grep -q / "$install/updates/2.2.0/deferred_operations"; then
        fail "the Windows list uses '/' in a path"
    fi
}

# Signed by the vendor's certificate when package.sh was given one, else not signed at all.
check_signature() {
    local file="$1" result
    if [ -n "${LAUNCHER_SIGN_PKCS12:-}" ]; then
        openssl pkcs12 -in "$LAUNCHER_SIGN_PKCS12" -passin "pass:$LAUNCHER_SIGN_PASSWORD" \
            -nokeys -clcerts -out "$work/signer.pem" 2>/dev/null ||
            openssl pkcs12 -legacy -in "$LAUNCHER_SIGN_PKCS12" -passin "pass:$LAUNCHER_SIGN_PASSWORD" \
                -nokeys -clcerts -out "$work/signer.pem"
        result="$(osslsigncode verify -CAfile "$work/signer.pem" -in "$file" 2>&1)" ||
            fail "$file: the signature does not verify:$(sed 's/^/\n    /' <<<"$result")"
    elif result="$(osslsigncode verify -in "$file" 2>&1)" || ! grep -qi "no signature" <<<"$result"; then
        fail "$file is signed though no certificate was given"
    fi
}

# Runs a Windows program of the prefix; its output in out and err, its exit code returned.
wine_run() {
    wine "$@" >"$work/out" 2>"$work/err" </dev/null
}

check_msi() {
    local msi install appdata newer product root before
    msi="$(find_archive '*-windows-*.msi')" || { failures=$((failures + 1)); return; }
    echo "Windows installer: $(basename "$msi")"
    check_signature "$msi"
    if [ ! -f "${LAUNCHER_STUB_JVM_DLL:-}" ] || ! command -v wine >/dev/null; then
        fail "the MSI needs wine and the stub JVM (LAUNCHER_STUB_JVM_DLL) to be checked"
        return
    fi
    before="$failures"
    (
        export WINEPREFIX="$work/wine" TMPDIR="$work/wine-tmp" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
        unset DISPLAY WAYLAND_DISPLAY
        mkdir -p "$WINEPREFIX" "$TMPDIR"
        trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null' EXIT
        wineboot -i >/dev/null 2>&1 </dev/null
        appdata="$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null </dev/null | tr -d '\r')"
        wine_run msiexec /i "$(winepath -w "$msi")" /qn
        expect_status "msiexec /i (per user, no elevation)" 0 $?
        install=("$(winepath -u "$appdata\\Programs" 2>/dev/null)"/*)
        if [ ${#install[@]} -ne 1 ] || [ ! -d "${install[0]}" ]; then
            fail "the MSI did not install one folder into $appdata\\Programs: ${install[*]}"
            exit $((failures - before))
        fi
        install="${install[0]}"
        product="$(basename "$install")"
        check_file_list "$install" launcher.exe
        cmp -s "$install/launcher.exe" "$work/windows/"*/launcher.exe ||
            fail "the installed launcher.exe differs from the zip's"
        [ -n "$(find "$WINEPREFIX/drive_c/users" -path "*Start Menu/Programs/$product.lnk")" ] ||
            fail "no Start menu shortcut"

        # A newer MSI replaces this one: one product stays registered, the newer.
        newer="$work/newer.msi"
        "$(dirname "$0")/../../scripts/build-msi.sh" "$(echo "$work/windows/"*/)" "$newer" \
            "$product" Brantlo 99.0.0 >/dev/null
        wine_run msiexec /i "$(winepath -w "$newer")" /qn
        expect_status "msiexec /i of a newer version" 0 $?
        for root in HKLM HKCU; do
            wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null </dev/null
        done >"$work/products"
        [ "$(grep -c "DisplayName.*REG_SZ *$product\s*$" "$work/products")" = 1 ] &&
            grep -q "DisplayVersion.*REG_SZ *99.0.0" "$work/products" ||
            fail "after the newer MSI, not one product of version 99.0.0:$(sed 's/^/\n    /' "$work/products")"

        # The JVM: the stub, named by an absolute path outside the installation.
        mkdir -p "$work/jvm/server"
        cp "$LAUNCHER_STUB_JVM_DLL" "$work/jvm/server/jvm.dll"
        sed -i "s|^jvm.bin.path=.*|jvm.bin.path=$(winepath -w "$work/jvm" | sed 's/\\/\\\\/g')\r|" \
            "$install/launch.properties"
        # Started with no standard output, as from the Start menu: it writes launcher.log.
        (cd "$install" && wine start /wait /unix "$install/launcher.exe" one >&- 2>&- </dev/null)
        expect_status "first start of the installed launcher" 0 $?
        expect_lines "$install/launcher.log" "Brantlo Client version: 2.1.0" \
            "classpath: lib/client__V2.1.0.jar;ext/greeting__V2.1.4.jar"

        (cd "$install/updates/2.2.0" && find . -type f ! -name deferred_operations -print0 |
            xargs -0 -I{} cp --parents {} "$install/")
        cp "$install/updates/2.2.0/deferred_operations" "$install/deferred_operations"
        (cd "$install" && wine_run launcher.exe)
        expect_status "start with the pending update" 0 $?
        expect_lines "$work/out" "Brantlo Client version: 2.2.0" \
            "classpath: lib/client__V2.2.0.jar;ext/greeting__V2.1.4.jar"
        # A file the launcher leaves only when a list stopped halfway.
        echo leftover >"$install/deferred_operations.progress"

        wine_run msiexec /x "$(winepath -w "$newer")" /qn
        expect_status "msiexec /x" 0 $?
        if [ -e "$install" ]; then
            fail "uninstalling left $install behind:$(cd "$install" && find . | sed 's/^/\n    /')"
        fi
        [ -z "$(find "$WINEPREFIX/drive_c/users" -name "$product.lnk")" ] ||
            fail "uninstalling left the Start menu shortcut"
        exit $((failures - before))
    )
    failures=$((failures + $?))
}

check_linux_package
check_windows_package
check_signature "$(echo "$work/windows/"*/launcher.exe)"
check_msi

if [ "$failures" -ne 0 ]; then
    echo "check-packages: $failures failure(s)" >&2
    exit 1
fi
echo "check-packages: every package passed"

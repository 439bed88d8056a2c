#!/usr/bin/env bash
# Checks the release packages as a user meets them: unpacks each archive into a temporary
# directory; starts the Linux sample for real on the runtime the package brings (or, without
# one, the installed JDK) with no Java on the PATH and nothing in the environment, applies its
# pending update as an updater would and starts it again; checks the contents of the Windows
# zip and the signatures of the launcher and the MSI (signed when LAUNCHER_SIGN_PKCS12 is set,
# unsigned otherwise); checks the MSI's tables for what Wine cannot show; installs the MSI
# under Wine in a prefix of its own, starts the installed launcher on the package's runtime or
# the stub JVM (LAUNCHER_STUB_JVM_DLL), self-updates the client, installs newer and rebuilt
# MSIs over it, repairs and uninstalls it, and installs an MSI of a product named with a
# non-ASCII letter under a Western and a Russian locale.
#   tests/packaging/check-packages.sh [PACKAGE_DIR]     default: build/packages
# LAUNCHER_MSI_ARGUMENTS: the build-msi.sh options the MSI was built with (its product,
# company, upgrade code, launcher): the newer MSIs are built with the same.
set -uo pipefail

packages="$(cd "${1:-build/packages}" && pwd)"
root="$(cd "$(dirname "$0")/../.." && pwd)"
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
mapfile -t doc_files < <(cd "$root/docs" && find . -type f | sed 's|^\./|doc/|')
msi_arguments=(--product "Brantlo Client" --company Brantlo --launcher launcher.exe)
[ -n "${LAUNCHER_MSI_ARGUMENTS:-}" ] && mapfile -t msi_arguments <"$LAUNCHER_MSI_ARGUMENTS"
# The value of a build-msi.sh option.
msi_argument() {
    local i
    for ((i = 0; i < ${#msi_arguments[@]}; i += 2)); do
        [ "${msi_arguments[i]}" = "$1" ] && echo "${msi_arguments[i + 1]}"
    done
}
windows_launcher="$(msi_argument --launcher)"
linux_launcher="${windows_launcher%.exe}"
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

# The package holds exactly the sample files, its launcher and its runtime (jre/), if any.
check_file_list() {
    local install="$1" launcher="$2" expected actual
    expected="$(printf '%s\n' "${sample_files[@]}" "$launcher" | sort)"
    actual="$(cd "$install" && find . -type f ! -path './jre/*' | sed 's|^\./||' | sort)"
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

# Starts the launcher of install from another directory; stdout in out, stderr in err. The
# packages are built with options every current JVM accepts, and the runtime is the package's:
# nothing in the environment helps, and no Java is on the PATH.
start_launcher() {
    local install="$1"
    shift
    (cd "$work" && env -i HOME="$work" PATH=/nonexistent \
        "$install/$linux_launcher" "$@" >"$work/out" 2>"$work/err")
}

# The runtime a package brings: the JVM library where launch.properties expects it, and for a
# runtime made here, what it was made with.
check_runtime() {
    local install="$1" library="$2"
    local release="$install/jre/release"
    [ -f "$install/jre/$library" ] || { fail "$install/jre has no $library"; return; }
    [ -f "$release" ] || return 0
    # The module the sample names, and those a client reaches through services alone.
    [ "$(sed -n 's/^MODULES="\(.*\)"$/\1/p' "$release" | tr ' ' '\n' | sort | tr '\n' ' ')" = \
        "java.base jdk.charsets jdk.crypto.cryptoki jdk.crypto.ec jdk.localedata jdk.zipfs " ] ||
        fail "$release: not the modules of the sample and its services: $(grep MODULES "$release")"
    mkdir -p "$work/services"
    cat >"$work/services/Services.java" <<'JAVA'
import java.nio.file.*;
public class Services {
    public static void main(String[] args) throws Exception {
        byte[] salam = {(byte) 0xD3, (byte) 0xE1, (byte) 0xC7, (byte) 0xE3};
        System.out.println("windows-1256 " + new String(salam, "windows-1256").equals("\u0633\u0644\u0627\u0645"));
        System.out.println("fr " + java.text.DateFormatSymbols.getInstance(java.util.Locale.FRENCH).getMonths()[0]);
        System.out.println("X25519 " + java.security.KeyPairGenerator.getInstance("X25519").getProvider().getName());
        try (FileSystem jar = FileSystems.newFileSystem(Path.of(args[0]))) {
            System.out.println("zipfs " + Files.exists(jar.getPath("META-INF/MANIFEST.MF")));
        }
    }
}
JAVA
    javac --release 17 -d "$work/services" "$work/services/Services.java" &&
        (env -i "$install/jre/bin/java" -cp "$work/services" Services "$install/lib/client__V2.1.0.jar" \
            >"$work/out" 2>"$work/err")
    expect_status "the runtime's services" 0 $?
    expect_lines "$work/out" "windows-1256 true" "fr janvier" "X25519 SunEC" "zipfs true"
    local unwanted
    for unwanted in include man lib/src.zip; do
        [ ! -e "$install/jre/$unwanted" ] || fail "the runtime holds $unwanted"
    done
    if jlink --list-plugins 2>/dev/null | grep -q -- --generate-cds-archive; then
        [ -f "$install/jre/lib/server/classes.jsa" ] || fail "the runtime has no class-data-sharing archive"
    fi
}

# The client of install updates itself, as its updater would: the new files, then the list.
stage_update() {
    (cd "$1/updates/2.2.0" && find . -type f ! -name deferred_operations -print0 |
        xargs -0 -I{} cp --parents {} "$1/")
    cp "$1/updates/2.2.0/deferred_operations" "$1/deferred_operations"
}

check_linux_package() {
    local archive install status jdk_home javac_path
    archive="$(find_archive '*-linux-*.tar.gz')" || { failures=$((failures + 1)); return; }
    install="$(unpack "$archive" "$work/linux")" || { failures=$((failures + 1)); return; }
    echo "Linux package: $(basename "$archive")"

    check_file_list "$install" "$linux_launcher"
    check_jar_versions "$install"
    check_line_ends "$install" 0
    [ -x "$install/$linux_launcher" ] || fail "$install/$linux_launcher is not executable"
    [ "$(head -c 4 "$install/$linux_launcher" | od -An -c | tr -d ' ')" = '177ELF' ] ||
        fail "$install/$linux_launcher is not an ELF executable"

    if [ -d "$install/jre" ]; then
        check_runtime "$install" lib/server/libjvm.so
    else
        # No runtime: jre linked to the home of the JDK whose javac is on the PATH.
        javac_path="$(command -v javac)" || { fail "no javac on the PATH"; return; }
        jdk_home="$(dirname "$(dirname "$(readlink -f "$javac_path")")")"
        ln -s "$jdk_home" "$install/jre"
    fi

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

    # The client updates itself through its updater: the files, then the list, written as the
    # package's example of it.
    start_launcher "$install" --update
    expect_status "the client's self-update" 0 $?
    expect_lines "$work/out" "Update to 2.2.0 left for the launcher's next start."
    cmp -s "$install/deferred_operations" "$install/updates/2.2.0/deferred_operations" ||
        fail "the client's list differs from updates/2.2.0/deferred_operations"

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
}

check_windows_package() {
    local archive install
    archive="$(find_archive '*-windows-*.zip')" || { failures=$((failures + 1)); return; }
    install="$(unpack "$archive" "$work/windows")" || { failures=$((failures + 1)); return; }
    echo "Windows package: $(basename "$archive")"

    check_file_list "$install" "$windows_launcher"
    check_jar_versions "$install"
    check_line_ends "$install" 1
    [ "$(head -c 2 "$install/$windows_launcher")" = MZ ] ||
        fail "$install/$windows_launcher is not a Windows executable"
    [ ! -d "$install/jre" ] || check_runtime "$install" bin/server/jvm.dll
    # The README speaks of the vendor's product, its folder and its launcher.
    local text
    for text in "$(msi_argument --product): sample installation" \
        "%LOCALAPPDATA%\\Programs\\$(msi_argument --product)" "start /b /wait $windows_launcher one"; do
        grep -qF -- "$text" "$install/README.txt" || fail "$install/README.txt does not say: $text"
    done
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

# Builds an MSI from the unpacked zip with the package's own options, but for the given ones.
build_msi() {
    local output="$1"
    shift
    "$root/scripts/build-msi.sh" "${msi_arguments[@]}" "$@" "$(echo "$work/windows/"*/)" "$output" >/dev/null ||
        fail "build-msi.sh $* failed"
}

# One value of a table row: table, the column to print, then column=value pairs it must match.
table_value() {
    local msi="$1" table="$2" column="$3"
    shift 3
    # In the work directory: msiinfo writes the streams of a table such as Icon there.
    (cd "$work" && msiinfo export "$msi" "$table") | tr -d '\r' | awk -F'\t' -v want="$column" -v conditions="$*" '
        NR == 1 { for (i = 1; i <= NF; i++) index_of[$i] = i; n = split(conditions, pairs, " ") }
        NR > 3 {
            ok = 1
            for (p = 1; p <= n; p++) { split(pairs[p], kv, "="); if ($index_of[kv[1]] != kv[2]) ok = 0 }
            if (ok) print $index_of[want]
        }'
}

# What the tables promise where Wine cannot show it: Wine ignores the "*" of a RemoveFile row
# and the rules by which Windows Installer keeps or replaces a file that is there.
check_msi_tables() {
    local msi="$1" newer="$2" rep install_files
    # Removals run only on uninstall, and all belong to one component that every version
    # holds, so that an upgrade, which removes the older product after installing the newer,
    # never runs them.
    [ -z "$(msiinfo export "$msi" RemoveFile | tr -d '\r' | awk -F'\t' 'NR > 3 && ($2 != "cleanup" || $5 != 2)')" ] ||
        fail "$msi: a RemoveFile row outside the cleanup component or not for uninstall only"
    # Every file of the installation folder ("*"), and by name what the launcher writes there.
    local removed name
    removed="$(msiinfo export "$msi" RemoveFile | tr -d '\r' | awk -F'\t' 'NR > 3 && $4 == "INSTALLDIR" { print $3 }')"
    for name in '*' launcher.log deferred_operations deferred_operations.progress \
        deferred_operations.progress.tmp deferred_operations.taken "$windows_launcher.old"; do
        grep -qxF -- "$name" <<<"$removed" || fail "$msi: no row removes $name from the installation folder on uninstall"
    done
    [ "$(table_value "$msi" Component ComponentId Component=cleanup)" = \
        "$(table_value "$newer" Component ComponentId Component=cleanup)" ] ||
        fail "$msi and $newer: the cleanup component differs, so an upgrade would remove it"
    rep="$(table_value "$msi" InstallExecuteSequence Sequence Action=RemoveExistingProducts)"
    install_files="$(table_value "$msi" InstallExecuteSequence Sequence Action=InstallFiles)"
    [ "${rep:-0}" -gt "$install_files" ] ||
        fail "$msi: the older product is removed (at $rep) before the files are installed ($install_files)"
    [ "$(table_value "$msi" Property Value Property=UpgradeCode)" = "{$(msi_argument --upgrade-code)}" ] ||
        fail "$msi: not the upgrade code it was built with"
    [ "$(table_value "$msi" Upgrade Attributes ActionProperty=WIX_UPGRADE_DETECTED)" = 513 ] ||
        fail "$msi: the same version does not replace the installed one"
    [ "$(msiinfo export "$msi" _ForceCodepage | tr -d '\r' | awk -F'\t' 'NF == 2 { print $1 }')" != 0 ] ||
        fail "$msi: no code page declared"
    [ -n "$(table_value "$msi" Icon Name "Name=$(table_value "$msi" Property Value Property=ARPPRODUCTICON)")" ] ||
        fail "$msi: no icon for the Apps list (ARPPRODUCTICON)"
    # Every file comes back as the package holds it (a version above any), but the launcher,
    # which keeps its own, and settings.properties, which is never overwritten.
    local file version settings
    while IFS=$'\t' read -r file version; do
        case "$file" in
        settings.properties) [ -z "$version" ] || fail "$msi: settings.properties carries a version" ;;
        "$windows_launcher") [[ $version == [0-9]*.*.*.* && $version != 65535.* ]] ||
            fail "$msi: $file carries not its own version but '$version'" ;;
        *) [ "$version" = 65535.65535.65535.65535 ] || fail "$msi: $file carries version '$version'" ;;
        esac
    done < <(msiinfo export "$msi" File | tr -d '\r' | awk -F'\t' 'NR > 3 { print $3 "\t" $5 }')
    settings="$(table_value "$msi" File Component_ FileName=settings.properties)"
    (( $(table_value "$msi" Component Attributes "Component=$settings") & 128 )) ||
        fail "$msi: settings.properties may be overwritten (not NeverOverwrite)"
}

# Runs a Windows program of the prefix (under the locale wine_locale, when set); its output in
# out and err, its exit code returned.
wine_locale=""
wine_run() {
    env ${wine_locale:+LOCPATH="$work/locales" LC_ALL=$wine_locale} wine "$@" \
        >"$work/out" 2>"$work/err" </dev/null
}

# Exactly one product of the name (a pattern: Wine writes it in the console's code page) is
# registered, of the version.
expect_one_product() {
    local product="$1" version="$2" root
    for root in HKLM HKCU; do
        wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null </dev/null
    done | tr -d '\r' >"$work/products"
    [ "$(LC_ALL=C grep -c "DisplayName.*REG_SZ *$product$" "$work/products")" = 1 ] &&
        grep -q "DisplayVersion.*REG_SZ *$version$" "$work/products" ||
        fail "not one product $product of version $version:$(sed 's/^/\n    /' "$work/products")"
}

# The files named stay exactly as they are (snapshot, then expect_kept).
snapshot() { (cd "$install" && sha256sum -- "$@") >"$work/kept"; }
expect_kept() {
    local changed
    changed="$(cd "$install" && sha256sum --quiet -c "$work/kept" 2>&1)" ||
        fail "$1 changed what it must keep:$(sed 's/^/\n    /' <<<"$changed")"
}

# Starts the installed launcher with its output redirected; expects exit code 0 and the lines.
start_installed() {
    local what="$1"
    shift
    (cd "$install" && wine_run "$windows_launcher")
    expect_status "$what" 0 $?
    expect_lines "$work/out" "$@"
}

check_msi() {
    local msi version newer newer_version rebuilt zoe package product programs locale before left step
    msi="$(find_archive '*-windows-*.msi')" || { failures=$((failures + 1)); return; }
    echo "Windows installer: $(basename "$msi")"
    check_signature "$msi"
    if [ ! -f "${LAUNCHER_STUB_JVM_DLL:-}" ] || ! command -v wine >/dev/null; then
        fail "the MSI needs wine and the stub JVM (LAUNCHER_STUB_JVM_DLL) to be checked"
        return
    fi
    product="$(msi_argument --product)"
    # The next major version. (Wine takes a major version above 127 for a negative number.)
    version="$(table_value "$msi" Property Value Property=ProductVersion)"
    newer_version="$((${version%%.*} + 1)).0.0"
    newer="$work/newer.msi" rebuilt="$work/rebuilt.msi" zoe="$work/zoe.msi"
    build_msi "$newer" --version "$newer_version"
    # A company name that XML and SQL must escape.
    for package in "$zoe" "$rebuilt"; do
        build_msi "$package" --product "Zoë Studio" --company "Zoë & <Co> \"Ltd\" 'A'" \
            --upgrade-code 9E3C2B1A-0F4D-4C5B-8A7E-6D5C4B3A2F10
    done
    check_msi_tables "$msi" "$newer"
    before="$failures"
    (
        export WINEPREFIX="$work/wine" TMPDIR="$work/wine-tmp" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
        unset DISPLAY WAYLAND_DISPLAY
        mkdir -p "$WINEPREFIX" "$TMPDIR"
        trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null' EXIT
        wineboot -i >/dev/null 2>&1 </dev/null
        programs="$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null </dev/null | tr -d '\r')\\Programs" 2>/dev/null)"
        wine_run msiexec /i "$(winepath -w "$msi")" /qn
        expect_status "msiexec /i (per user, no elevation)" 0 $?
        install=("$programs"/*)
        if [ ${#install[@]} -ne 1 ] || [ ! -d "${install[0]}" ]; then
            fail "the MSI did not install one folder into $programs: ${install[*]}"
            exit $((failures - before))
        fi
        install="${install[0]}"
        [ "$(basename "$install")" = "$product" ] || fail "installed into $install, not a folder $product"
        check_file_list "$install" "$windows_launcher"
        cmp -s "$install/$windows_launcher" "$work/windows/"*/"$windows_launcher" ||
            fail "the installed $windows_launcher differs from the zip's"
        [ -n "$(find "$WINEPREFIX/drive_c/users" -path "*Start Menu/Programs/$product.lnk")" ] ||
            fail "no Start menu shortcut"

        # The package's runtime, or the stub as a runtime added by hand.
        if [ ! -d "$install/jre" ]; then
            mkdir -p "$install/jre/bin/server"
            cp "$LAUNCHER_STUB_JVM_DLL" "$install/jre/bin/server/jvm.dll"
        fi
        # Started with no standard output, as from the Start menu: it writes launcher.log.
        (cd "$install" && wine start /wait /unix "$install/$windows_launcher" one >&- 2>&- </dev/null)
        expect_status "first start of the installed launcher" 0 $?
        expect_lines "$install/launcher.log" "Brantlo Client version: 2.1.0" \
            "classpath: lib/client__V2.1.0.jar;ext/greeting__V2.1.4.jar"

        stage_update "$install"
        start_installed "start with the pending update" "Brantlo Client version: 2.2.0" \
            "classpath: lib/client__V2.2.0.jar;ext/greeting__V2.1.4.jar"
        # What the customer and the client wrote; an upgrade, then a repair (the one "msiexec /f"
        # runs on Windows; Wine's takes only this form), each over a list the client left for
        # its next start. Each keeps them, puts back the package's files as it holds them (the
        # version 2.1.0 and its jars), and the list then brings the client to 2.2.0 as a whole.
        printf 'memory.max=1024\r\n' >"$install/settings.properties"
        echo "the client's own" >"$install/client-notes.txt"
        for step in "upgrade:/qn" "repair:REINSTALL=ALL REINSTALLMODE=omus /qn"; do
            mkdir -p "$install/update"
            printf '2.2.0\r\n' >"$install/update/version"
            printf '%s\r\n' size=4 operation.0=delete 'operation.0.file=lib\client__V2.0.3.jar' \
                operation.1=delete 'operation.1.file=ext\greeting__V2.0.0.jar' operation.2=delete \
                operation.2.file=version operation.3=rename 'operation.3.file=update\version' \
                operation.3.destination=version >"$install/deferred_operations"
            snapshot settings.properties client-notes.txt deferred_operations update/version \
                launcher.log lib/client__V2.2.0.jar
            # shellcheck disable=SC2086 # the options, split
            wine_run msiexec /i "$(winepath -w "$newer")" ${step#*:}
            expect_status "msiexec, ${step%%:*}" 0 $?
            expect_kept "the ${step%%:*}"
            expect_one_product "$product" "$newer_version"
            [ "$(tr -d '\r' <"$install/version")" = 2.1.0 ] && [ -f "$install/lib/client__V2.0.3.jar" ] ||
                fail "the ${step%%:*} did not put back the package's version file and jars"
            start_installed "start after the ${step%%:*}" "Brantlo Client version: 2.2.0" \
                "classpath: lib/client__V2.2.0.jar;ext/greeting__V2.1.4.jar"
        done

        # A launcher a list replaced, moved aside, goes with the rest.
        echo "replaced" >"$install/$windows_launcher.old"
        # A runtime added by hand stays; it goes first, as the guide says.
        cmp -s "$LAUNCHER_STUB_JVM_DLL" "$install/jre/bin/server/jvm.dll" && rm -r "$install/jre"
        wine_run msiexec /x "$(winepath -w "$newer")" /qn
        expect_status "msiexec /x" 0 $?
        # Wine's msiexec ignores "*": what no row names by name (the client's own file) stays
        # there, and only there (Windows removes it too; the table check shows why).
        left="$( (cd "$install" 2>/dev/null && find . -type f ! -name client-notes.txt) )"
        [ -z "$left" ] || fail "uninstalling left in $install:$(sed 's/^/\n    /' <<<"$left")"
        rm -rf "$install"
        [ -z "$(find "$WINEPREFIX/drive_c/users" -name "$product.lnk")" ] ||
            fail "uninstalling left the Start menu shortcut"

        # A name with a letter beyond ASCII, under a locale whose code page holds it and under
        # one whose code page does not; under the second, a rebuild of the same version
        # replaces it. (Each upgrade starts from a fresh install: Wine's msiexec, removing the
        # older product after the newer is in, forgets the newer one's upgrade code.)
        # Wine needs the C library's locale, made here.
        for locale in en_US.UTF-8 ru_RU.UTF-8; do
            mkdir -p "$work/locales"
            localedef -i "${locale%.*}" -f UTF-8 "$work/locales/$locale" ||
                { fail "cannot make the locale $locale (localedef)"; continue; }
            wineserver -k 2>/dev/null
            wineserver -w 2>/dev/null
            wine_locale=$locale
            for package in "$zoe" "$rebuilt"; do
                wine_run msiexec /i "$(winepath -w "$package")" /qn
                expect_status "msiexec /i $(basename "$package") of \"Zoë Studio\" ($locale)" 0 $?
                [ -f "$programs/Zoë Studio/$windows_launcher" ] ||
                    fail "under $locale, \"Zoë Studio\" is not installed as such: $(ls "$programs")"
                [ $locale = ru_RU.UTF-8 ] || break
            done
            expect_one_product "Zo.* Studio" "$version"
            LC_ALL=C grep -q "Publisher.*REG_SZ *Zo.* & <Co> \"Ltd\" 'A'$" "$work/products" ||
                fail "under $locale, the publisher is not the company name as given"
            wine_run msiexec /x "$(winepath -w "$package")" /qn
            expect_status "msiexec /x of \"Zoë Studio\" ($locale)" 0 $?
            [ -z "$(ls "$programs")" ] || fail "under $locale, uninstalling left $(ls "$programs")"
        done
        exit $((failures - before))
    )
    failures=$((failures + $?))
}

check_linux_package
check_windows_package
check_signature "$(echo "$work/windows/"*/)$windows_launcher"
check_msi

if [ "$failures" -ne 0 ]; then
    echo "check-packages: $failures failure(s)" >&2
    exit 1
fi
echo "check-packages: every package passed"

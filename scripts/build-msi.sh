#!/usr/bin/env bash
# Builds a per-user MSI (Debian's wixl) from an unpacked Windows package: the folder's files as
# they are, installed without elevation into %LOCALAPPDATA%\Programs\<product>, where the
# launcher's self-update can write; a Start menu shortcut to launcher.exe.
#
#   scripts/build-msi.sh FOLDER OUTPUT.msi PRODUCT_NAME COMPANY VERSION
#
# Uninstalling removes every file of every folder the package installed, including what the
# launcher and the client's updates wrote there (launcher.log, deferred_operations.progress,
# renamed jars), and the folders themselves. Folders the package does not hold (a "jre" copied
# in by hand) stay, and with them the installation folder. A newer version (same product name,
# higher version) replaces an older one.
set -euo pipefail

if [ $# -ne 5 ]; then
    echo "usage: $0 FOLDER OUTPUT.msi PRODUCT_NAME COMPANY VERSION" >&2
    exit 2
fi
folder="$(cd "$1" && pwd)"
output="$2"
product="$3"
company="$4"
version="$5"

if ! [[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]]; then
    echo "build-msi: version \"$version\" is not up to four numbers separated by dots" >&2
    exit 2
fi
[ -f "$folder/launcher.exe" ] || { echo "build-msi: no launcher.exe in $folder" >&2; exit 2; }

# A GUID that stays the same for the same text: the upgrade code must not change between
# versions of one product, or a newer MSI would install beside the older one.
guid_of() {
    local hash
    hash="$(printf '%s' "$1" | md5sum | cut -c1-32 | tr a-f A-F)"
    echo "${hash:0:8}-${hash:8:4}-${hash:12:4}-${hash:16:4}-${hash:20:12}"
}

xml() {
    local text="$1"
    text="${text//&/&amp;}"
    text="${text//</&lt;}"
    text="${text//>/&gt;}"
    text="${text//\"/&quot;}"
    printf '%s' "$text"
}

registry_key="Software\\$(xml "$company")\\$(xml "$product")"
components=()
counter=0

# Writes the Directory element of relative folder dir (empty: the installation folder) with one
# component for its files, then its subfolders.
emit_directory() {
    local dir="$1" indent="$2" path name id file child
    path="$folder${dir:+/$dir}"
    counter=$((counter + 1))
    id="d$counter"
    [ -z "$dir" ] && id=INSTALLDIR
    name="$(basename "${dir:-$product}")"
    echo "$indent<Directory Id=\"$id\" Name=\"$(xml "$name")\">"
    echo "$indent<!-- folder $id ${dir:-.} -->"
    local component="c$counter"
    components+=("$component")
    # Per-user components keep their key path in the user's registry; the folder and whatever
    # the launcher or an update left in it go with the component.
    echo "$indent  <Component Id=\"$component\" Guid=\"$(guid_of "$product/$dir")\">"
    echo "$indent    <RegistryValue Root=\"HKCU\" Key=\"$registry_key\\Components\" Name=\"$component\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>"
    for file in "$path"/*; do
        [ -f "$file" ] || continue
        counter=$((counter + 1))
        echo "$indent    <File Id=\"f$counter\" Name=\"$(xml "$(basename "$file")")\" Source=\"$(xml "${file#"$folder"/}")\"/>"
    done
    if [ -z "$dir" ]; then
        echo "$indent    <Shortcut Id=\"startMenu\" Directory=\"ProgramMenuFolder\" Name=\"$(xml "$product")\" Target=\"[INSTALLDIR]launcher.exe\" WorkingDirectory=\"INSTALLDIR\"/>"
    fi
    echo "$indent    <RemoveFolder Id=\"rm$id\" On=\"uninstall\"/>"
    echo "$indent  </Component>"
    for child in "$path"/*; do
        [ -d "$child" ] || continue
        emit_directory "${dir:+$dir/}$(basename "$child")" "$indent  "
    done
    echo "$indent</Directory>"
}

wxs="$(mktemp --suffix=.wxs)"
trap 'rm -f "$wxs"' EXIT
{
    directories="$(emit_directory "" "            ")"
    # The subshell above counted the components; count them again here.
    mapfile -t components < <(grep -o '<Component Id="[^"]*"' <<<"$directories" | cut -d'"' -f2)
    cat <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="$(xml "$product")" Version="$version" Manufacturer="$(xml "$company")"
           Language="1033" UpgradeCode="$(guid_of "upgrade/$product")">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perUser"
             Description="$(xml "$product") $version" Manufacturer="$(xml "$company")"/>
    <Media Id="1" Cabinet="client.cab" EmbedCab="yes"/>
    <Property Id="ALLUSERS" Value="2"/>
    <Property Id="MSIINSTALLPERUSER" Value="1"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of $(xml "$product") is already installed."/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="LocalAppDataFolder">
        <Directory Id="ProgramsFolder" Name="Programs">
$directories
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder"/>
    </Directory>
    <Feature Id="Client" Level="1">
EOF
    for component in "${components[@]}"; do
        echo "      <ComponentRef Id=\"$component\"/>"
    done
    cat <<EOF
    </Feature>
  </Product>
</Wix>
EOF
} >"$wxs"

# wixl finds the files relative to the current directory.
output="$(cd "$(dirname "$output")" && pwd)/$(basename "$output")"
(cd "$folder" && wixl --arch x64 -o "$output" "$wxs")

# wixl knows RemoveFolder but not RemoveFile: the rows that empty each folder on uninstall go
# into the table it made for RemoveFolder. Windows Installer takes the name "*" for every file
# in the folder; Wine's does not, so the files the launcher writes and those the package's own
# pending updates bring (a ".new" name renamed into place) are named as well.
declare -A folder_ids
while read -r id dir; do
    folder_ids["$dir"]="$id"
done < <(sed -n 's/^ *<!-- folder \([^ ]*\) \(.*\) -->$/\1 \2/p' "$wxs")
sql_text() { printf "'%s'" "${1//\'/\'\'}"; }
queries=()
rows=0
remove_row() {
    local component="$1" name="$2" directory="$3"
    rows=$((rows + 1))
    queries+=(-q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('rf$rows', '$component', $(sql_text "$name"), '$directory', 2)")
}
while read -r component directory; do
    remove_row "$component" "*" "$directory"
done < <(msiinfo export "$output" RemoveFile | awk -F'\t' 'NR > 3 { print $2, $4 }')
for name in launcher.log deferred_operations deferred_operations.progress \
    deferred_operations.progress.tmp; do
    remove_row c1 "$name" INSTALLDIR
done
while read -r path; do
    dir="$(dirname "$path")"
    id="${folder_ids[$dir]:-}"
    [ -n "$id" ] || continue
    component="c${id#d}"
    [ "$id" = INSTALLDIR ] && component=c1
    remove_row "$component" "$(basename "$path")" "$id"
    [[ $path == *.new ]] && remove_row "$component" "$(basename "${path%.new}")" "$id"
done < <(cd "$folder" && find updates -mindepth 2 -type f ! -name deferred_operations 2>/dev/null |
    cut -d/ -f3- | sort -u)
msibuild "$output" "${queries[@]}"

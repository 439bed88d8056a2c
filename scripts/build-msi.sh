#!/usr/bin/env bash
# Builds a per-user MSI (Debian's wixl and msibuild) from an unpacked Windows package: the
# folder's files as they are, installed without elevation into %LOCALAPPDATA%\Programs\<product>,
# where the launcher's self-update can write; a Start menu shortcut to the launcher.
#
#   scripts/build-msi.sh --product NAME --company NAME --version VERSION --upgrade-code GUID
#                        [--launcher FILE] [--launcher-version VERSION] [--icon FILE.ico]
#                        FOLDER OUTPUT.msi
#   scripts/build-msi.sh --check-names PRODUCT COMPANY
#       refuses names the MSI cannot hold; prints the Windows code page that holds both
#
# Upgrades and repairs (docs/packaging.md): every file of the package comes back as the package
# holds it (its launcher only when the installed one is older), settings.properties stays as
# the customer left it, and what the package did not install stays. A newer or the same
# version replaces the installed one, which is removed after the new one is in place, so its
# files and folders, shared with the new one, stay. Only a real uninstall empties the folders.
set -euo pipefail

die() {
    echo "build-msi: $*" >&2
    exit 2
}

# The first Windows code page (Western first) that holds the text, or nothing.
code_page_of() {
    local page
    for page in 1252 1250 1251 1253 1254 1257 1255 1256 1258 874 932 936 949 950; do
        if printf '%s' "$1" | iconv -f UTF-8 -t "CP$page" >/dev/null 2>&1; then
            echo "$page"
            return
        fi
    done
}

# The product name is the installation folder's name and the company a registry key's: refuse
# what Windows would refuse or cut there, and a pair no single code page holds.
check_names() {
    local product="$1" company="$2" page
    [ -n "$product" ] || die "the product name is empty"
    [ -n "$company" ] || die "the company name is empty"
    if [[ $product == *[[:cntrl:]\<\>:\"/\\\|?*]* ]]; then
        die "product name \"$product\": it names the installation folder, which cannot hold" \
            "a control character or any of < > : \" / \\ | ? *"
    fi
    if [[ $product == *[.\ ] ]] || [[ ${product^^} =~ ^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\..*)?$ ]]; then
        die "product name \"$product\": Windows cannot name a folder so (a device name, or a" \
            "trailing dot or space)"
    fi
    if [[ $company == *[[:cntrl:]\\]* ]]; then
        die "company name \"$company\": it names a registry key, which cannot hold a control" \
            "character or \\"
    fi
    page="$(code_page_of "$product$company")"
    [ -n "$page" ] || die "\"$product\" with \"$company\": no single Windows code page holds" \
        "every letter of both, and an MSI stores its texts in one"
    echo "$page"
}

if [ "${1:-}" = --check-names ]; then
    [ $# -eq 3 ] || die "usage: $0 --check-names PRODUCT COMPANY"
    check_names "$2" "$3"
    exit 0
fi

product="" company="" version="" upgrade_code="" launcher=launcher.exe launcher_version="" icon=""
while [ $# -gt 2 ]; do
    case "$1" in
    --product) product="$2" ;;
    --company) company="$2" ;;
    --version) version="$2" ;;
    --upgrade-code) upgrade_code="$2" ;;
    --launcher) launcher="$2" ;;
    --launcher-version) launcher_version="$2" ;;
    --icon) icon="$2" ;;
    *) die "unknown option $1" ;;
    esac
    shift 2
done
[ $# -eq 2 ] || die "usage: $0 --product NAME --company NAME --version VERSION --upgrade-code GUID [--launcher FILE] [--launcher-version VERSION] [--icon FILE.ico] FOLDER OUTPUT.msi"
folder="$(cd "$1" && pwd)"
output="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"

codepage="$(check_names "$product" "$company")"
if ! [[ $version =~ ^([0-9]+)(\.([0-9]+))?(\.([0-9]+))?(\.([0-9]+))?$ ]]; then
    die "version \"$version\" is not up to four numbers separated by dots"
fi
if ((10#${BASH_REMATCH[1]} > 255 || 10#${BASH_REMATCH[3]:-0} > 255 || 10#${BASH_REMATCH[5]:-0} > 65535 ||
    10#${BASH_REMATCH[7]:-0} > 65535)); then
    die "version \"$version\": Windows Installer allows at most 255.255.65535 (and ignores a fourth number)"
fi
[[ $upgrade_code =~ ^[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}$ ]] ||
    die "upgrade code \"$upgrade_code\" is not a GUID such as 4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B"
upgrade_code="${upgrade_code^^}"
[ -f "$folder/$launcher" ] || die "no $launcher in $folder"
[ -z "$icon" ] || [ -f "$icon" ] || die "no icon file $icon"
launcher_version="${launcher_version:-0}"
while [[ $launcher_version =~ ^[0-9]+(\.[0-9]+){0,2}$ ]]; do launcher_version+=.0; done

# A GUID that stays the same for the same text, so that every version of the product gives
# the same file or folder the same component.
guid_of() {
    local hash
    hash="$(printf '%s' "$1" | md5sum | cut -c1-32 | tr a-f A-F)"
    echo "${hash:0:8}-${hash:8:4}-${hash:12:4}-${hash:16:4}-${hash:20:12}"
}

# Text for an XML attribute. The replacements are quoted: bash 5.2 reads an unquoted "&" in
# one as the matched text.
xml() {
    local text="$1"
    text="${text//&/"&amp;"}"
    text="${text//</"&lt;"}"
    text="${text//>/"&gt;"}"
    text="${text//\"/"&quot;"}"
    printf '%s' "$text"
}

# wixl stores the tables' texts in no code page, which would cut or garble any letter beyond
# ASCII (the summary's it stores in the one it is given): the tables get these stand-ins, and
# the names go in afterwards, in the declared code page.
product_stand_in=ProductNameStandIn
company_stand_in=CompanyNameStandIn
registry_key="Software\\$company_stand_in\\$product_stand_in"
counter=0

# Writes the Directory element of relative folder dir (empty: the installation folder): a
# component per file, whose key path is the file, then the subfolders.
emit_directory() {
    local dir="$1" indent="$2" path id file child relative
    path="$folder${dir:+/$dir}"
    counter=$((counter + 1))
    id="d$counter"
    [ -z "$dir" ] && id=INSTALLDIR
    if [ -z "$dir" ]; then
        echo "$indent<Directory Id=\"$id\" Name=\"$product_stand_in\">"
    else
        echo "$indent<Directory Id=\"$id\" Name=\"$(xml "$(basename "$dir")")\">"
    fi
    echo "$id ${dir:-.}" >>"$wxs.folders"
    for file in "$path"/*; do
        [ -f "$file" ] || continue
        counter=$((counter + 1))
        relative="${file#"$folder"/}"
        echo "$indent  <Component Id=\"c$counter\" Guid=\"$(guid_of "$upgrade_code/$relative")\">"
        echo "$indent    <File Id=\"f$counter\" Name=\"$(xml "$(basename "$file")")\" Source=\"$(xml "$relative")\" KeyPath=\"yes\"/>"
        echo "$indent  </Component>"
        echo "f$counter c$counter $relative" >>"$wxs.files"
    done
    if [ -z "$dir" ]; then
        # Never removed by an upgrade, since every version holds it: what empties the folders
        # on uninstall belongs to it (added below).
        echo "$indent  <Component Id=\"cleanup\" Guid=\"$(guid_of "$upgrade_code/cleanup")\">"
        echo "$indent    <RegistryValue Root=\"HKCU\" Key=\"$registry_key\" Name=\"installed\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>"
        echo "$indent    <Shortcut Id=\"startMenu\" Directory=\"ProgramMenuFolder\" Name=\"$product_stand_in\" Target=\"[INSTALLDIR]$(xml "$launcher")\" WorkingDirectory=\"INSTALLDIR\"/>"
        echo "$indent  </Component>"
    fi
    for child in "$path"/*; do
        [ -d "$child" ] || continue
        emit_directory "${dir:+$dir/}$(basename "$child")" "$indent  "
    done
    echo "$indent</Directory>"
}

wxs="$(mktemp --suffix=.wxs)"
# Beside it, written while it is: a line per folder (its id and path) and per file (its id, its
# component's and its path).
trap 'rm -rf "$wxs" "$wxs.tables" "$wxs.folders" "$wxs.files"' EXIT
{
    directories="$(emit_directory "" "            ")"
    cat <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="$(xml "$product")" Version="$version" Manufacturer="$(xml "$company")"
           Language="1033" UpgradeCode="$upgrade_code">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perUser" SummaryCodepage="$codepage"
             Description="$(xml "$product") $version" Manufacturer="$(xml "$company")"/>
    <Media Id="1" Cabinet="client.cab" EmbedCab="yes"/>
    <Property Id="ALLUSERS" Value="2"/>
    <Property Id="MSIINSTALLPERUSER" Value="1"/>
EOF
    if [ -n "$icon" ]; then
        # wixl takes a source path only relative to the folder it runs in.
        echo "    <Icon Id=\"product.ico\" SourceFile=\"$(xml "$(realpath --relative-to="$folder" "$icon")")\"/>"
        echo "    <Property Id=\"ARPPRODUCTICON\" Value=\"product.ico\"/>"
    fi
    cat <<EOF
    <MajorUpgrade DowngradeErrorMessage="A newer version of $product_stand_in is already installed."/>
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
    grep -o '<Component Id="[^"]*"' <<<"$directories" | cut -d'"' -f2 |
        sed 's/.*/      <ComponentRef Id="&"\/>/'
    cat <<EOF
    </Feature>
  </Product>
</Wix>
EOF
} >"$wxs"

# wixl finds the files relative to the current directory.
(cd "$folder" && wixl --arch x64 -o "$output" "$wxs")

sql_text() { printf "'%s'" "${1//\'/\'\'}"; }
queries=()
query() { queries+=(-q "$1"); }

# The names, in the code page declared first. They go in through the tables' text form, which
# holds any character but a tab or a line end (the SQL of msibuild has no way to quote an
# apostrophe). msiinfo writes the streams of a table such as Icon into the current directory.
mkdir "$wxs.tables"
printf '\r\n\r\n%s\t_ForceCodepage\r\n' "$codepage" >"$wxs.tables/_ForceCodepage.idt"
msibuild "$output" -i "$wxs.tables/_ForceCodepage.idt"
for table in $(msiinfo tables "$output"); do
    [[ $table == _* ]] && continue
    idt="$wxs.tables/$table.idt"
    (cd "$wxs.tables" && msiinfo export "$output" "$table" >"$idt")
    [ "$table" = Property ] || grep -aq -e "$product_stand_in" -e "$company_stand_in" "$idt" || continue
    text="$(<"$idt")"
    text="${text//"$product_stand_in"/"$product"}"
    text="${text//"$company_stand_in"/"$company"}"
    if [ "$table" = Property ]; then
        # wixl wrote these two from the real names, which it cannot store.
        text="$(sed -e "s/^ProductName\t.*/ProductName\t$product_stand_in\r/" \
            -e "s/^Manufacturer\t.*/Manufacturer\t$company_stand_in\r/" <<<"$text")"
        text="${text//"$product_stand_in"/"$product"}"
        text="${text//"$company_stand_in"/"$company"}"
    fi
    printf '%s\n' "$text" >"$idt"
    msibuild "$output" -i "$idt"
done

# The same version replaces the installed one too (VersionMaxInclusive), so that a rebuilt
# package does not install a second product over the same folder.
query "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\`='WIX_UPGRADE_DETECTED'"
query "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# The older product goes after the newer one is installed, not before: its components are
# the newer one's as well, so removing it takes away only the files no longer shipped, and
# none of the removals that only an uninstall may run.
query "DELETE FROM \`InstallExecuteSequence\` WHERE \`Action\`='RemoveExistingProducts'"
query "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('InstallExecute', 6500)"
query "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveExistingProducts', 6550)"

# How an upgrade or a repair treats a file that is there: Windows Installer keeps a text file
# that was changed after it was written, and puts back one that was deleted, which would mix
# the client's self-updated version file with the package's jars. So every file of the package
# carries a version above any other and always comes back as the package holds it, except the
# launcher, which carries its own and stays when a self-update made it newer, and
# settings.properties, which is the customer's: installed when missing, never overwritten.
# (Wine compares a text file by its size and its hash in MsiFileHash, which stays for it.)
while read -r file component relative; do
    if [ "$relative" = settings.properties ]; then
        query "UPDATE \`Component\` SET \`Attributes\`=128 WHERE \`Component\`='$component'"
        continue
    fi
    file_version=65535.65535.65535.65535
    [ "$relative" = "$launcher" ] && file_version="$launcher_version"
    query "UPDATE \`File\` SET \`Version\`='$file_version' WHERE \`File\`='$file'"
done <"$wxs.files"

# What only an uninstall removes, all of it in the cleanup component: every file ("*") and then
# each folder of the package. Wine's msiexec ignores "*", so the files the launcher writes and
# those of the package's own pending update (a ".new" name renamed into place) are named too.
declare -A folder_ids
mapfile -t folders <"$wxs.folders"
rows=0
# A row without a file name removes the folder itself.
remove_row() {
    local name="$1" directory="$2" column=", \`FileName\`" value=", $1"
    [ -n "$name" ] || column="" value=""
    rows=$((rows + 1))
    query "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`DirProperty\`, \`InstallMode\`$column) VALUES ('rf$rows', 'cleanup', '$directory', 2$value)"
}
for entry in "${folders[@]}"; do
    folder_ids["${entry#* }"]="${entry%% *}"
    remove_row "'*'" "${entry%% *}"
    remove_row "" "${entry%% *}"
done
# The launcher a list replaced is moved aside as <launcher>.old until the next start removes it.
for name in launcher.log deferred_operations deferred_operations.progress \
    deferred_operations.progress.tmp deferred_operations.taken "$launcher.old"; do
    remove_row "$(sql_text "$name")" INSTALLDIR
done
while read -r path; do
    id="${folder_ids[$(dirname "$path")]:-}"
    [ -n "$id" ] || continue
    remove_row "$(sql_text "$(basename "$path")")" "$id"
    [[ $path == *.new ]] && remove_row "$(sql_text "$(basename "${path%.new}")")" "$id"
done < <(cd "$folder" && find updates -mindepth 2 -type f ! -name deferred_operations 2>/dev/null |
    cut -d/ -f3- | sort -u)
msibuild "$output" "${queries[@]}"

# Every stand-in was replaced.
for table in $(msiinfo tables "$output"); do
    if (cd "$wxs.tables" && msiinfo export "$output" "$table" 2>/dev/null) |
        grep -aq -e "$product_stand_in" -e "$company_stand_in"; then
        die "$output: table $table still holds a stand-in name"
    fi
done

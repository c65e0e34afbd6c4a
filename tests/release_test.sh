#!/usr/bin/env bash
# Usage: release_test.sh E2E_DRIVER.exe WINE_PREFIX
# What users download. Two releases from two copies of this tree (uncommitted work included),
# at paths of different lengths and built apart, must be the same bytes; the zip, named with the
# caption's version, holds the program and its Chinese README.txt, and SHA256SUMS and its CR LF
# copy for Notepad match them. Then the second copy's build is released signed with a throwaway
# certificate: the signature verifies, the password is seen by no process and in no output, and
# the signed program still starts under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
driver=$(realpath "$1") prefix=$(realpath -m "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Released as from a clone, with no SOURCE_DATE_EPOCH: the linker reads it too, and would hide a
# program that carries its build time.
unset SOURCE_DATE_EPOCH
epoch=$(git -C "$root" log -1 --format=%ct)
settings=(-DHOSTLINE_SERVICE_HOST=release-test.example.net
          -DHOSTLINE_LINE1_ADDRESS=203.0.113.7 -DHOSTLINE_LINE2_ADDRESS=203.0.113.8)
release() {  # FOLDER LOG: a release from that copy, its output in LOG
    if ! "$1/scripts/release" "${settings[@]}" >"$2" 2>&1; then
        cat "$2"
        echo "FAIL: the release in $1 failed"
        exit 1
    fi
}
unpack() {  # ZIP FOLDER: prints the zip's entries in order and extracts them into FOLDER
    python3 - "$1" "$2" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    print(*archive.namelist())
    archive.extractall(sys.argv[2])
EOF
}
sums_match() {  # DIST: SHA256SUMS names the zip, the one file published beside it, rightly; the
    # check runs where they are published. SHA256SUMS.txt holds the same lines with CR LF, and
    # sha256sum reads it; perl's shasum reads SHA256SUMS (it would take a CR for part of the name).
    [ "$(awk '{print $2}' "$1/SHA256SUMS" | xargs)" = "$zip" ] &&
        cmp -s <(sed 's/$/\r/' "$1/SHA256SUMS") "$1/SHA256SUMS.txt" &&
        (cd "$1" && sha256sum --quiet --strict -c SHA256SUMS && sha256sum --quiet --strict -c SHA256SUMS.txt &&
            shasum -a 256 --quiet --strict -c SHA256SUMS)
}
readme_problems() {  # README.txt ZIP VERSION HOST_AND_ADDRESS_SETTINGS...: what Notepad or users miss
    python3 - "$@" <<'EOF'
import re, sys
readme, zip, version, settings = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
data = open(readme, "rb").read()
problems = []
if not data.startswith(b"\xef\xbb\xbf"):
    problems.append("no byte-order mark")
if not data.count(b"\r") == data.count(b"\n") == data.count(b"\r\n") > 0:
    problems.append("line ends other than CR LF")
text = data.decode("utf-8-sig")
problems += [f"{value} is missing" for value in (s.split("=")[1] for s in settings) if value not in text]
problems += [f"{name} was left unfilled" for name in re.findall(r"@[A-Z0-9_]+@", text)]
host = settings[0].split("=")[1]
if not text.startswith(f"{host}线路选择器 {version} 使用说明\r\n"):
    problems.append(f"the title does not give the caption's version {version}")
if f'certutil -hashfile "%USERPROFILE%\\Downloads\\{zip}" SHA256' not in text or "SHA256SUMS.txt" not in text:
    problems.append("no check of the zip against SHA256SUMS.txt")
# A first-time user's steps: the short version, download, check, unblock the zip, extract, run, use.
steps = ["简单说明", "下载页面", "certutil", "解除锁定", "全部解压缩", "点击“否”", "线路修改完成", "ping"]
at = [text.find(step) for step in steps]
if -1 in at or at != sorted(at):
    problems.append("the steps do not come in the order " + ", ".join(steps))
sys.exit("\n".join(problems) or None)
EOF
}

a=$work/a b=$work/a-longer-folder-name/b
for copy in "$a" "$b"; do
    mkdir -p "$copy"
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$copy"
    # One commit holding the tree as it is, at the time of the last real one.
    git -C "$copy" init -q
    git -C "$copy" add -A
    GIT_COMMITTER_DATE="@$epoch +0000" git -C "$copy" -c user.name=test -c user.email=test@example.invalid \
        -c commit.gpgsign=false commit -q -m "the tree under test"
    release "$copy" "$copy.log"
done

# The version users see in the caption, README.txt and the zip's name: project()'s first two numbers.
version=$(sed -n 's/^project(hostline VERSION \([0-9]*\.[0-9]*\)\..*/\1/p' "$root/CMakeLists.txt")
grep -qxF "#define HOSTLINE_VERSION_CAPTION_W L\"$version\"" "$a/build/win32/generated/version.h" ||
    fail "the caption does not show version $version"
zip=hostline-$version-win32.zip
[ "$(ls "$a/dist" | xargs)" = "SHA256SUMS SHA256SUMS.txt $zip" ] || fail "dist/ holds" $(ls "$a/dist")
cmp "$a/dist/$zip" "$b/dist/$zip" || fail "the two releases' zips differ"
cmp "$a/dist/SHA256SUMS" "$b/dist/SHA256SUMS" || fail "the two releases' checksums differ"

entries=$(unpack "$a/dist/$zip" "$work/unsigned")
[ "$entries" = "hostline.exe README.txt" ] || fail "the zip holds $entries"
sums_match "$a/dist" || fail "SHA256SUMS or SHA256SUMS.txt does not match the release"
readme_problems "$work/unsigned/README.txt" "$zip" "$version" "${settings[@]}" || fail "README.txt, as above"

# Signed: the second copy's build, reused, with a throwaway code-signing certificate. A stand-in
# osslsigncode notes the arguments and environment it gets before running the real one.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=hostline release test" -addext extendedKeyUsage=codeSigning 2>/dev/null
export HOSTLINE_SIGN_PASSWORD="pass word $(openssl rand -hex 12)"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.p12" \
    -passout env:HOSTLINE_SIGN_PASSWORD
mkdir "$work/bin"
cat >"$work/bin/osslsigncode" <<EOF
#!/usr/bin/env bash
{ printf '%s\n' "\$@"; env; } >>"$work/osslsigncode-saw.txt"
exec "$(command -v osslsigncode)" "\$@"
EOF
chmod +x "$work/bin/osslsigncode"
cp "$b/build/win32/hostline.exe" "$work/built.exe"
PATH=$work/bin:$PATH HOSTLINE_SIGN_PFX=$work/sign.p12 release "$b" "$work/signed.log"
secret=${HOSTLINE_SIGN_PASSWORD##* }
unset HOSTLINE_SIGN_PASSWORD
[ -s "$work/osslsigncode-saw.txt" ] || fail "the signed release did not run osslsigncode"
! grep -q "$secret" "$work/osslsigncode-saw.txt" ||
    fail "osslsigncode got the password as an argument or in its environment"
! grep -q "$secret" "$work/signed.log" || fail "the password is in the release's output"

unpack "$b/dist/$zip" "$work/signed" >/dev/null
sums_match "$b/dist" || fail "SHA256SUMS or SHA256SUMS.txt does not match the signed release"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed/hostline.exe" >"$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "the signed program does not verify"; }
# Signing adds the signature and nothing else, and only to the released copy.
osslsigncode remove-signature -in "$work/signed/hostline.exe" -out "$work/stripped.exe" >/dev/null
cmp "$work/stripped.exe" "$work/built.exe" || fail "the signed program differs beyond its signature"
cmp "$b/build/win32/hostline.exe" "$work/built.exe" || fail "the build folder's program was signed"

# A real start: the driver runs the program on a missing hosts file and reads its error box, and
# reads the version record and icon that Explorer shows; none of it depends on the built host.
started=0
"$root/scripts/wine-exec" "$prefix" "$driver" "$work/signed/hostline.exe" \
    --gtest_filter='Resources.*:ProgramResources.*:Hostline.AStartThatCannotReadTheHostsFileShowsWhyAndTheWayOutAndNoWindow' \
    >"$work/wine.txt" 2>&1 || started=$?
[ "$started" = 0 ] || [ "$started" = 77 ] ||
    { cat "$work/wine.txt"; fail "the signed program does not start under Wine"; }

[ "$failed" = 0 ] || exit 1
echo "release: the same $zip ($(stat -c %s "$a/dist/$zip") bytes) from $a and $b:"
cat "$a/dist/SHA256SUMS"
echo "release: signed, it verifies, no process or output saw the password, and the signature is all it adds"
if [ "$started" = 77 ]; then
    tail -n 1 "$work/wine.txt"
    exit 77
fi
echo "release: the signed program starts under Wine: $(grep -E '^\[  PASSED  \]' "$work/wine.txt")"

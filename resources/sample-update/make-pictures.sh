#!/usr/bin/env bash
# Draws the sample update's banner pictures, UpdateDetails_<lang>/images/top.jpg
# next to this script, one per language: 500 x 300 pixels, JPEG, 96 dpi. Each
# shows a gradient, the product mark (a gold four-pointed spark on a rounded
# tile), the name "Brelvo Glimmary" and the update message, string 5876 of
# ../strings/<lang>.txt, wrapped to fit.
#
#   make-pictures.sh [LANG...]     (default: every language below)
#
# Needs ImageMagick (convert, identify) and fontconfig with the fonts DejaVu
# Sans (fonts-dejavu-core) and WenQuanYi Micro Hei (fonts-wqy-microhei). The
# pictures are committed, so a build never runs this script.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
strings_dir=$here/../strings
all_languages=(1028 1031 1033 1034 1036 1040 1041 1042 1046 2052)

die() { echo "make-pictures.sh: $*" >&2; exit 1; }

for tool in convert identify fc-match; do
  command -v "$tool" >/dev/null || die "$tool is missing (Debian packages imagemagick, fontconfig)"
done

# The file of a font family. fc-match always answers with some font, so the
# answer is checked: a stand-in without the family's glyphs would draw boxes.
font_file() {
  local family=$1 style=$2 package=$3 found
  found=$(fc-match -f '%{family}\t%{file}' "$family:style=$style")
  case "${found%%$'\t'*}" in
    *"$family"*) printf '%s' "${found#*$'\t'}" ;;
    *) die "font '$family' not found (Debian package $package)" ;;
  esac
}

latin_regular=$(font_file "DejaVu Sans" Book fonts-dejavu-core)
latin_bold=$(font_file "DejaVu Sans" Bold fonts-dejavu-core)
cjk_regular=$(font_file "WenQuanYi Micro Hei" Regular fonts-wqy-microhei)

# The text of an entry of a string table: the quoted pieces on the entry's
# line and on the continuation lines after it (lines that start with blanks
# and a quote), joined, with the table's simple C escapes undone. Escapes
# this reader does not know stop it rather than draw them wrongly.
string_entry() {
  local table=$1 id=$2
  awk -v id="$id" '
    function unquote(line,    out, i, c, inside) {
      out = ""; inside = 0
      for (i = 1; i <= length(line); i++) {
        c = substr(line, i, 1)
        if (!inside) {
          if (c == "\"") inside = 1
          else if (c == "#") break
          continue
        }
        if (c == "\"") { inside = 0; continue }
        if (c == "\\") {
          c = substr(line, ++i, 1)
          if (c == "n") c = "\n"
          else if (c == "t") c = "\t"
          else if (c != "\\" && c != "\"" && c != "\047") {
            printf "unsupported escape \\%s in entry %s\n", c, id > "/dev/stderr"
            failed = 1; exit 1
          }
        }
        out = out c
      }
      return out
    }
    collecting && /^[ \t]+"/ { text = text unquote($0); next }
    collecting { exit }
    $1 == id { collecting = 1; found = 1; sub(/^[ \t]*[0-9]+[ \t]*/, ""); text = unquote($0) }
    END {
      if (failed) exit 1
      if (!found) { printf "no entry %s\n", id > "/dev/stderr"; exit 1 }
      printf "%s", text
    }' "$table"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The background with the mark and the name, the same in every language.
background=$work/background.png
convert -size 500x300 -define gradient:angle=120 'gradient:#0c2340-#1b7289' \
  \( -size 500x300 xc:none -fill 'rgba(255,255,255,0.07)' \
     -draw 'circle 455,35 455,175' -draw 'circle 505,270 505,360' \
     -fill 'rgba(255,255,255,0.05)' -draw 'circle 330,330 330,400' \) -composite \
  -fill 'rgba(0,0,0,0.18)' -draw 'roundrectangle 32,33 104,105 16,16' \
  -fill '#f7fafc' -draw 'roundrectangle 30,30 102,102 16,16' \
  -fill '#f2b632' -draw 'polygon 66,40 73,59 92,66 73,73 66,92 59,73 40,66 59,59' \
  -fill '#1b7289' -draw 'polygon 89,37 91,43 97,45 91,47 89,53 87,47 81,45 87,43' \
  -font "$latin_bold" -pointsize 32 -fill '#ffffff' -annotate +122+78 'Brelvo Glimmary' \
  -fill '#f2b632' -draw 'rectangle 30,128 96,131' \
  "$background"

# The message, wrapped to the text area (440 x 126 pixels below the accent
# line) at the largest size from 26 points down that fits.
render_message() {
  local text=$1 font=$2 out=$3 size height
  # ImageMagick expands % and \ sequences in caption text; the message is
  # drawn as it is.
  text=${text//\\/\\\\}
  text=${text//%/%%}
  for size in 26 25 24 23 22 21 20 19 18 17 16; do
    convert -background none -fill '#eef6f9' -font "$font" -pointsize "$size" \
      -interline-spacing 4 -size 440x "caption:$text" "$out"
    height=$(identify -format '%h' "$out")
    [ "$height" -le 126 ] && return 0
  done
  die "the message does not fit: $text"
}

languages=("$@")
[ ${#languages[@]} -gt 0 ] || languages=("${all_languages[@]}")
for lang in "${languages[@]}"; do
  table=$strings_dir/$lang.txt
  [ -f "$table" ] || die "no string table $table"
  message=$(string_entry "$table" 5876) || die "$table: cannot read entry 5876"
  case "$lang" in
    1028|1041|1042|2052) font=$cjk_regular ;;
    *) font=$latin_regular ;;
  esac
  render_message "$message" "$font" "$work/message.png"
  out=$here/UpdateDetails_$lang/images/top.jpg
  mkdir -p "$(dirname "$out")"
  # -strip drops comments and profiles so that a rerun gives the same bytes;
  # the JFIF header with its 96 dpi density stays.
  convert "$background" "$work/message.png" -geometry +30+146 -composite \
    -strip -units PixelsPerInch -density 96 -sampling-factor 2x2 -quality 88 "$out"
  echo "$out: $(identify -format '%wx%h %x x %y %U' "$out"), $(stat -c %s "$out") bytes"
done

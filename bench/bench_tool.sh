#!/bin/bash
# Whole-process timings of `tovtex convert` against nvcompress and
# ImageMagick, in one run on the same input: a 4096 x 4096 PNG to DXT5 with a
# full mip chain, every tool allowed every core (and the same picture as an
# opaque JPEG and as a Targa against nvcompress -bc3 -fast), and a batch of
# 64 images on 1 and 2 threads. Prints seconds and processor seconds (user and system),
# each peer's time as a multiple of each tovtex level's, and each output's
# top-level error against the source: RGB RMSE with each texel's colour
# weighted by its alpha, and alpha RMSE (0..255 scale), every output decoded
# by tovtex. Each figure is the median of BENCH_RUNS runs (default 3).
#
# Usage: bench/bench_tool.sh [path to tovtex]   (default build/default/tools/tovtex)
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$here/build/default/tools/tovtex}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
magick=$(command -v magick || command -v convert || true)
python=/usr/bin/python3

# The source: smooth gradients, noise and edges, with alpha.
"$python" - "$work/src.png" <<'PY'
import sys, random
from PIL import Image, ImageDraw, ImageFilter
random.seed(3)
n = 4096
base = Image.linear_gradient("L").resize((n, n))
r = base; g = base.rotate(90); b = base.rotate(45)
a = Image.radial_gradient("L").resize((n, n))
im = Image.merge("RGBA", (r, g, b, a))
d = ImageDraw.Draw(im)
for _ in range(400):
    x, y = random.randrange(n), random.randrange(n)
    s = random.randrange(16, 300)
    d.ellipse((x, y, x + s, y + s), fill=tuple(random.randrange(256) for _ in range(4)))
im = im.filter(ImageFilter.GaussianBlur(1))
im.save(sys.argv[1])
PY

once() {  # name, command...; prints the seconds taken and the processor seconds (user and system), or FAIL
    local name=$1; shift
    local TIMEFORMAT="%R %U %S" out wall user sys
    if out=$( { time "$@" >"$work/$name.log" 2>&1; } 2>&1); then
        read -r wall user sys <<<"$out"
        echo "$wall $(echo "$user + $sys" | bc)"
    else
        echo FAIL
    fi
}
# Every tool runs $runs times (default 3), the tools taking turns, and
# each keeps its median: on a shared machine one run can wait long for
# memory or a core, and the turns spread a busy spell over every tool.
runs=${BENCH_RUNS:-3}
median() { printf "%s\n" "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

rmse() {  # a DDS file[, its source]: "RGB alpha" RMSE of its top level (decoded by tovtex) against the source
    if [ -s "$1" ] && "$tool" decode -f "$1" "$work/top.png" >/dev/null 2>&1; then
        "$python" - "${2:-$work/src.png}" "$work/top.png" <<'PY'
import sys
from PIL import Image, ImageMath
s = Image.open(sys.argv[1]).convert("RGBA").split()
d = Image.open(sys.argv[2]).convert("RGBA").split()
mean = lambda im: im.resize((1, 1), Image.BOX).getpixel((0, 0))  # exact enough in float
weight = mean(s[3].convert("F"))
colour = sum(mean(ImageMath.eval("float(a) * (float(x) - float(y)) ** 2", a=s[3], x=s[c], y=d[c])) for c in range(3))
alpha = mean(ImageMath.eval("(float(x) - float(y)) ** 2", x=s[3], y=d[3]))
print("%.2f %.2f" % ((colour / (3 * weight)) ** 0.5 if weight > 0 else 0, alpha ** 0.5))
PY
    else
        echo "n/a n/a"
    fi
}

levels="fast normal best"
declare -A secs err runs_of
run() {  # one run of a tool by its short name
    case $1 in
    fast | normal | best)
        "$tool" convert -f "$work/src.png" "$work/tovtex_$1.dds" --format DXT5 --mips all --quality "$1" ;;
    nvfast) nvcompress -bc3 -fast -alpha -nocuda "$work/src.png" "$work/nvfast.dds" ;;
    nv) nvcompress -bc3 -alpha -nocuda "$work/src.png" "$work/nv.dds" ;;
    magick) "$magick" "$work/src.png" -define dds:compression=dxt5 -define dds:mipmaps=12 "$work/im.dds" ;;
    esac
}
declare -A cpu_of cpu
# A process right after ImageMagick or nvcompress -bc3 has freed much memory
# meets that memory fragmented and pays more for fresh pages. The runs take
# three orders in turn, in each of which another tovtex level follows one of
# those two: a level's median is then a run after a light neighbour, as it
# is for the peers.
orders=("magick fast normal best nvfast nv" "magick nvfast normal fast nv best" "magick nvfast best nv normal fast")
for ((r = 0; r < runs; r++)); do
    order=${orders[$((r % 3))]}
    [ -n "$magick" ] || order=${order/magick/}
    for t in $order; do
        read -r wall used <<<"$(once "$t" run "$t")"
        runs_of[$t]+=" $wall"
        cpu_of[$t]+=" ${used:-FAIL}"
    done
done
for t in $levels nvfast nv magick; do
    case " ${runs_of[$t]:-FAIL} " in
    *" FAIL "*) secs[$t]=FAIL cpu[$t]=FAIL ;;
    *) # shellcheck disable=SC2086
        secs[$t]=$(median ${runs_of[$t]}) cpu[$t]=$(median ${cpu_of[$t]}) ;;
    esac
done
for level in $levels; do err[$level]=$(rmse "$work/tovtex_$level.dds"); done
err[nvfast]=$(rmse "$work/nvfast.dds")
err[nv]=$(rmse "$work/nv.dds")
err[magick]=$(rmse "$work/im.dds")

peers="nvfast nv magick"
declare -A label=([fast]="tovtex --quality fast" [normal]="tovtex --quality normal" [best]="tovtex --quality best"
    [nvfast]="nvcompress -bc3 -fast" [nv]="nvcompress -bc3" [magick]="ImageMagick")
echo "4096x4096 PNG -> DXT5 + full chain, all $(nproc) cores each"
printf "%-26s %9s %9s %9s %9s\n" tool seconds "cpu s" "RGB RMSE" "A RMSE"
for t in $levels $peers; do
    read -r e_rgb e_a <<<"${err[$t]}"
    s=${secs[$t]} c=${cpu[$t]}
    [ "$s" = FAIL ] || s=$(printf "%.2f" "$s")
    [ "$c" = FAIL ] || c=$(printf "%.2f" "$c")
    printf "%-26s %9s %9s %9s %9s\n" "${label[$t]}" "$s" "$c" "$e_rgb" "$e_a"
done
# Each peer's time over tovtex's (above 1: tovtex is faster) and tovtex's
# RGB RMSE over the peer's (at most 1: tovtex is no worse).
ratio() { if [ "$1" = FAIL ] || [ "$2" = FAIL ] || [ "$1" = n/a ] || [ "$2" = n/a ]; then echo n/a; else
    echo "scale=2; $1 / $2" | bc; fi; }
echo
printf "%-26s %-24s %-24s %-24s\n" "speed, RMSE ratios" "nvcompress -bc3 -fast" "nvcompress -bc3" "ImageMagick"
for level in $levels; do
    row=""
    for p in $peers; do
        row+=$(printf "%-24s" "$(ratio "${secs[$p]}" "${secs[$level]}")x, $(ratio "${err[$level]%% *}" "${err[$p]%% *}")")
    done
    printf "%-26s %s\n" "${label[$level]}" "$row"
done

# The same picture as an opaque JPEG (quality 90), decoded while it is
# compressed, and as a Targa with alpha, which takes the whole-picture
# route, each against nvcompress -bc3 -fast on the same file; RMSE against
# the file as PIL decodes it.
"$python" - "$work/src.png" "$work/src.jpg" "$work/src.tga" <<'PY'
import sys
from PIL import Image
im = Image.open(sys.argv[1])
im.convert("RGB").save(sys.argv[2], quality=90)
im.save(sys.argv[3])
PY
declare -A what_of=([jpg]="JPEG (opaque)" [tga]="Targa (alpha)")
for ext in jpg tga; do
    other_run() {
        case $1 in
        fast | normal) "$tool" convert -f "$work/src.$ext" "$work/${ext}_$1.dds" --format DXT5 --mips all --quality "$1" ;;
        nvfast) nvcompress -bc3 -fast $([ "$ext" = tga ] && echo -alpha) -nocuda "$work/src.$ext" "$work/${ext}_nvfast.dds" ;;
        esac
    }
    other_tools="fast normal nvfast"
    declare -A other_runs=() other_secs=()
    for ((r = 0; r < runs; r++)); do
        for t in $other_tools; do
            read -r wall _ <<<"$(once "${ext}_$t" other_run "$t")"
            other_runs[$t]+=" $wall"
        done
    done
    echo
    echo "4096x4096 ${what_of[$ext]} -> DXT5 + full chain, all $(nproc) cores each"
    printf "%-26s %9s %9s   %s\n" tool seconds "RGB RMSE" "vs nvcompress -bc3 -fast (speed, RMSE)"
    for t in $other_tools; do
        case " ${other_runs[$t]} " in
        *" FAIL "*) other_secs[$t]=FAIL ;;
        *) # shellcheck disable=SC2086
            other_secs[$t]=$(median ${other_runs[$t]}) ;;
        esac
    done
    other_err_nv=$(rmse "$work/${ext}_nvfast.dds" "$work/src.$ext")
    for t in $other_tools; do
        e=$(rmse "$work/${ext}_$t.dds" "$work/src.$ext")
        s=${other_secs[$t]}
        [ "$s" = FAIL ] || s=$(printf "%.2f" "$s")
        vs=""
        [ "$t" = nvfast ] || vs="$(ratio "${other_secs[nvfast]}" "${other_secs[$t]}")x, $(ratio "${e%% *}" "${other_err_nv%% *}")"
        printf "%-26s %9s %9s   %s\n" "${label[$t]}" "$s" "${e%% *}" "$vs"
    done
done

# The batch: 64 images of 512 x 512 cut from the source.
mkdir -p "$work/batch" "$work/out1" "$work/out2"
"$python" - "$work/src.png" "$work/batch" <<'PY'
import sys
from PIL import Image
im = Image.open(sys.argv[1])
for i in range(64):
    x, y = (i % 8) * 512, (i // 8) * 512
    im.crop((x, y, x + 512, y + 512)).save("%s/b%02d.png" % (sys.argv[2], i))
PY
b1=() b2=()
for ((r = 0; r < runs; r++)); do
    read -r wall _ <<<"$(once batch1 "$tool" convert -f --format DXT5 -j 1 -o "$work/out1" "$work/batch"/*.png)"
    b1+=("$wall")
    read -r wall _ <<<"$(once batch2 "$tool" convert -f --format DXT5 -j 2 -o "$work/out2" "$work/batch"/*.png)"
    b2+=("$wall")
done
t_b1=$(median "${b1[@]}")
t_b2=$(median "${b2[@]}")
echo
printf "%-28s %10s\n" "64 x 512x512 PNG -> DXT5" seconds
printf "%-28s %10s\n" "tovtex -j 1" "$t_b1"
printf "%-28s %10s   (speed-up %s)\n" "tovtex -j 2" "$t_b2" "$(echo "scale=2; $t_b1 / $t_b2" | bc)"

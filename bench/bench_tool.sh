#!/bin/bash
# Whole-process timings of `tovtex convert` against nvcompress and
# ImageMagick, in one run on the same input: a 4096 x 4096 PNG to DXT5 with a
# full mip chain, single-threaded, and a batch of 64 images on 2 threads.
# Prints seconds, the ratios to tovtex and each output's RMSE (0..255 scale,
# RGBA) against the source's top level.
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

now() { date +%s.%N; }
timed() {  # name, command...; prints seconds (or FAIL)
    local name=$1; shift
    local t0 t1
    t0=$(now)
    if "$@" >"$work/$name.log" 2>&1; then
        t1=$(now)
        echo "$t1 - $t0" | bc
    else
        echo FAIL
    fi
}
rmse() {  # a DDS file: RMSE of its top level (decoded by tovtex) against the source
    if [ -s "$1" ] && "$tool" decode "$1" "$work/top.png" >/dev/null 2>&1; then
        "$python" - "$work/src.png" "$work/top.png" <<'PY'
import sys
from PIL import Image, ImageChops, ImageStat
a = Image.open(sys.argv[1]).convert("RGBA"); b = Image.open(sys.argv[2]).convert("RGBA")
st = ImageStat.Stat(ImageChops.difference(a, b).point(lambda v: v * v))
print("%.2f" % ((sum(st.mean) / 4) ** 0.5))
PY
    else
        echo n/a
    fi
}

export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
t_tovtex=$(timed tovtex "$tool" convert "$work/src.png" "$work/tovtex.dds" --format DXT5 --mips all)
t_nvfast=$(timed nvfast nvcompress -bc3 -fast -alpha -nocuda "$work/src.png" "$work/nvfast.dds")
t_nv=$(timed nv nvcompress -bc3 -alpha -nocuda "$work/src.png" "$work/nv.dds")
t_im=FAIL
if [ -n "$magick" ]; then
    t_im=$(timed magick "$magick" "$work/src.png" -define dds:compression=dxt5 -define dds:mipmaps=12 "$work/im.dds")
fi

ratio() { if [ "$1" = FAIL ]; then echo n/a; else echo "scale=2; $1 / $t_tovtex" | bc; fi; }
printf "%-28s %10s %10s %8s\n" "4096x4096 PNG -> DXT5+mips" seconds "x tovtex" RMSE
printf "%-28s %10s %10s %8s\n" "tovtex convert" "$t_tovtex" 1.00 "$(rmse "$work/tovtex.dds")"
printf "%-28s %10s %10s %8s\n" "nvcompress -bc3 -fast" "$t_nvfast" "$(ratio "$t_nvfast")" "$(rmse "$work/nvfast.dds")"
printf "%-28s %10s %10s %8s\n" "nvcompress -bc3" "$t_nv" "$(ratio "$t_nv")" "$(rmse "$work/nv.dds")"
printf "%-28s %10s %10s %8s\n" "ImageMagick (1 thread)" "$t_im" "$(ratio "$t_im")" "$(rmse "$work/im.dds")"

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
t_b1=$(timed batch1 "$tool" convert --format DXT5 -j 1 -o "$work/out1" "$work/batch"/*.png)
t_b2=$(timed batch2 "$tool" convert --format DXT5 -j 2 -o "$work/out2" "$work/batch"/*.png)
echo
printf "%-28s %10s\n" "64 x 512x512 PNG -> DXT5" seconds
printf "%-28s %10s\n" "tovtex -j 1" "$t_b1"
printf "%-28s %10s   (speed-up %s)\n" "tovtex -j 2" "$t_b2" "$(echo "scale=2; $t_b1 / $t_b2" | bc)"

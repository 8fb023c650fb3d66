#!/usr/bin/env bash
# Writes the PSD peer fixtures (64 x 48) into OUTDIR with ImageMagick (its command line) and
# psd-tools (its Python API), each with the layer pictures the writer was given as PNG files and a
# manifest, one line per layer:
#   FILE INDEX LEFT TOP RIGHT BOTTOM OPACITY HIDDEN CLIPPED KEY PNG NAME
# (the name last, it may hold spaces; PNG "-" when there is no picture to compare). Lines of a file
# without layers give INDEX "merged": the PNG is then the whole picture.
# Run once by scripts/peers --fixtures; the results are committed. The programs are black boxes.
set -euo pipefail
out=${1:?usage: make_psd_fixtures.sh OUTDIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
im=convert-im6.q16
manifest="$out/manifest.txt"
: >"$manifest"

# ---- ImageMagick: the first picture is the merged image, each later one a layer placed by its page.
"$im" -size 64x48 gradient:'#c02040-#2040c0' -depth 8 base.png
"$im" -size 30x20 gradient:yellow-green -depth 8 PNG32:layer-one.png
"$im" -size 24x16 xc:'rgba(0,0,255,0.5)' -fill 'rgba(255,255,255,1)' -draw 'rectangle 2,2 9,9' \
  -depth 8 PNG32:layer-two.png
im_layers() { # OUT.psd then options
  local name=$1
  shift
  "$im" base.png \( layer-one.png -set page +4+3 -set label one \) \
    \( layer-two.png -set page +50+40 -set label "two two" \) -depth 8 -type TrueColorAlpha "$@" "$out/$name"
  cp layer-one.png "$out/${name%.psd}-0.png"
  cp layer-two.png "$out/${name%.psd}-1.png"
  echo "${name} 0 4 3 34 23 255 0 0 norm ${name%.psd}-0.png one" >>"$manifest"
  echo "${name} 1 50 40 74 56 255 0 0 norm ${name%.psd}-1.png two two" >>"$manifest"
}
im_layers im-rgb-rle.psd -compress RLE
im_layers im-rgb-zip.psd -compress Zip
# A single picture: ImageMagick writes it as one layer "L1" over the whole canvas.
"$im" base.png -colorspace Gray -type Grayscale -depth 8 "$out/im-grey.psd"
"$im" base.png -colorspace Gray -type Grayscale -depth 8 PNG32:"$out/im-grey.png"
echo "im-grey.psd 0 0 0 64 48 255 0 0 norm im-grey.png L1" >>"$manifest"
"$im" base.png -type TrueColor -depth 16 "$out/im-16bit.psd"
echo "im-16bit.psd 0 0 0 64 48 255 0 0 norm - L1" >>"$manifest"
"$im" base.png -monochrome -depth 1 "$out/im-1bit.psd"
"$im" base.png -monochrome PNG32:"$out/im-1bit.png"
echo "im-1bit.psd 0 0 0 64 48 255 0 0 norm im-1bit.png L1" >>"$manifest"

# ---- psd-tools: layer records built through its low-level API (raw and RLE channels, clipping,
# Japanese names as Shift_JIS pascal strings and "luni"), and a file without layers.
OUT="$out" /usr/bin/python3 - <<'PY'
import os
from PIL import Image
from psd_tools import PSDImage
from psd_tools.psd import PSD
from psd_tools.psd.header import FileHeader
from psd_tools.psd.layer_and_mask import (LayerAndMaskInformation, LayerInfo, LayerRecords,
    LayerRecord, ChannelInfo, ChannelData, ChannelDataList, ChannelImageData, LayerFlags)
from psd_tools.psd.tagged_blocks import TaggedBlocks, TaggedBlock
from psd_tools.psd.image_data import ImageData
from psd_tools.psd.base import StringElement
from psd_tools.constants import ChannelID, Compression, Clipping, Tag, ColorMode

out = os.environ["OUT"]
manifest = open(os.path.join(out, "manifest.txt"), "a", encoding="utf-8")

def picture(w, h, seed):
    im = Image.new("RGBA", (w, h))
    im.putdata([((x * 7 + seed * 40) % 256, (y * 11 + seed * 13) % 256, (x * y + seed) % 256,
                 255 if (x + y + seed) % 5 else 128) for y in range(h) for x in range(w)])
    return im

layers = [
    ("下書き", 2, 3, 20, 12, Compression.RAW, False, 255, False),
    ("線画 レイヤー", -6, 30, 40, 24, Compression.RLE, True, 200, False),
    ("hidden", 10, 10, 16, 16, Compression.RLE, False, 255, True),
]
records, data = [], []
for i, (name, left, top, w, h, comp, clipped, opacity, hidden) in enumerate(layers):
    pic = picture(w, h, i + 1)
    r, g, b, a = pic.split()
    infos, channels = [], []
    for cid, plane in [(ChannelID.TRANSPARENCY_MASK, a), (ChannelID.CHANNEL_0, r),
                       (ChannelID.CHANNEL_1, g), (ChannelID.CHANNEL_2, b)]:
        cd = ChannelData(compression=comp)
        n = cd.set_data(plane.tobytes(), w, h, 8)
        infos.append(ChannelInfo(id=cid, length=n))
        channels.append(cd)
    blocks = TaggedBlocks([(Tag.UNICODE_LAYER_NAME,
                            TaggedBlock(key=Tag.UNICODE_LAYER_NAME, data=StringElement(name)))])
    records.append(LayerRecord(top=top, left=left, bottom=top + h, right=left + w,
                               channel_info=infos, opacity=opacity,
                               clipping=Clipping.NON_BASE if clipped else Clipping.BASE,
                               flags=LayerFlags(visible=not hidden), name=name,
                               tagged_blocks=blocks))
    data.append(ChannelDataList(channels))
    png = "pt-layers-%d.png" % i
    pic.save(os.path.join(out, png))
    manifest.write("pt-layers.psd %d %d %d %d %d %d %d %d norm %s %s\n" % (
        i, left, top, left + w, top + h, opacity, 1 if hidden else 0, 1 if clipped else 0, png, name))
header = FileHeader(channels=3, height=48, width=64, depth=8, color_mode=ColorMode.RGB)
psd = PSD(header=header,
          layer_and_mask_information=LayerAndMaskInformation(layer_info=LayerInfo(
              layer_count=len(records), layer_records=LayerRecords(records),
              channel_image_data=ChannelImageData(data))),
          image_data=ImageData.new(header))
with open(os.path.join(out, "pt-layers.psd"), "wb") as f:
    psd.write(f, encoding="shift_jis")

flat = picture(64, 48, 9).convert("RGB")
PSDImage.frompil(flat).save(os.path.join(out, "pt-nolayers.psd"))
flat.save(os.path.join(out, "pt-nolayers.png"))
manifest.write("pt-nolayers.psd merged 0 0 64 48 255 0 0 norm pt-nolayers.png (背景)\n")
PY
echo "fixtures written to $out"

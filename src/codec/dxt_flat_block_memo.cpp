#include "codec/dxt_flat_block_memo.h"

#include "codec/dxt_color_fit_normal.h"

namespace dxt_search {

namespace {

bool SameFacts(const FlatBlock& a, const FlatBlock& b) {
    return a.rgb[0] == b.rgb[0] && a.rgb[1] == b.rgb[1] && a.rgb[2] == b.rgb[2] && a.weight == b.weight &&
           a.channel[0] == b.channel[0] && a.channel[1] == b.channel[1] && a.channel[2] == b.channel[2] &&
           a.transparent == b.transparent && a.used == b.used && a.threeColorOnly == b.threeColorOnly &&
           a.fourColorOnly == b.fourColorOnly;
}

struct LastFlatBlock {
    bool filled = false;
    FlatBlock block;
    ColorChoice choice;
};

// One per thread: the tool's workers each encode their own rows.
thread_local LastFlatBlock last;

}  // namespace

ColorChoice FitFlatBlockRemembered(const FlatBlock& block) {
    if (last.filled && SameFacts(last.block, block)) {
        return last.choice;
    }
    last.choice = FitFlatBlock(block);
    last.block = block;
    last.filled = true;
    return last.choice;
}

}  // namespace dxt_search

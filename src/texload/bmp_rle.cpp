#include "texload/bmp_rle.h"

namespace tovtex {

namespace {

class RleWriter {
public:
    explicit RleWriter(const RleTarget& target) : target_(target) {}

    bool AboveTop() const { return y_ >= target_.height; }

    void Put(BYTE value) {
        if (x_ < target_.width) {
            target_.pixels[(target_.height - 1 - y_) * target_.rowPitch + x_] = value;
        }
        ++x_;
    }

    // Runs of pixels right of the row are dropped in one step.
    void Skip(uint64_t count) { x_ += count; }
    bool RowFull() const { return x_ >= target_.width; }

    void EndOfLine() {
        x_ = 0;
        ++y_;
    }

    void Delta(uint64_t dx, uint64_t dy) {
        x_ += dx;
        y_ += dy;
    }

private:
    const RleTarget& target_;
    uint64_t x_ = 0;
    uint64_t y_ = 0;
};

}  // namespace

void DecodeRle(const BYTE* data, uint64_t size, bool fourBit, const RleTarget& target) {
    RleWriter out(target);
    uint64_t pos = 0;
    while (!out.AboveTop() && size - pos >= 2) {
        BYTE a = data[pos];
        BYTE b = data[pos + 1];
        pos += 2;
        if (a > 0) {
            if (out.RowFull()) {
                out.Skip(a);
                continue;
            }
            for (unsigned i = 0; i < a; ++i) {
                out.Put(fourBit ? ((i & 1) == 0 ? b >> 4 : b & 0x0F) : b);
            }
        } else if (b == 0) {
            out.EndOfLine();
        } else if (b == 1) {
            return;
        } else if (b == 2) {
            if (size - pos < 2) {
                return;
            }
            out.Delta(data[pos], data[pos + 1]);
            pos += 2;
        } else {
            uint64_t bytes = fourBit ? (b + 1u) / 2 : b;
            if (size - pos < bytes) {
                return;
            }
            for (unsigned i = 0; i < b; ++i) {
                out.Put(fourBit ? ((i & 1) == 0 ? data[pos + i / 2] >> 4 : data[pos + i / 2] & 0x0F) : data[pos + i]);
            }
            uint64_t padded = (bytes + 1) & ~uint64_t{1};
            pos += padded <= size - pos ? padded : size - pos;
        }
    }
}

}  // namespace tovtex

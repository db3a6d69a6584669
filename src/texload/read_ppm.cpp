// Portable pixmaps: "P3" (decimal samples) and "P6" (byte samples).

#include "base/tovtex_defs.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

namespace {

bool IsSpace(BYTE c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(BYTE c) {
    return c >= '0' && c <= '9';
}

// s * 255 / maximum; a sample above the maximum (a malformed file) reads as
// full intensity rather than spilling into the neighbouring channel.
DWORD Scale(uint64_t sample, uint64_t maximum) {
    uint64_t scaled = sample * 255 / maximum;
    return static_cast<DWORD>(scaled > 255 ? 255 : scaled);
}

// Reads the whole pixmap into an image, or, with no image, only as far as
// the header decides (the sample count of a "P6" file included).
class PixmapReader {
public:
    PixmapReader(Image* image, const BYTE* data, UINT size) : image_(image), data_(data), size_(size) {}

    uint64_t Width() const { return width_; }
    uint64_t Height() const { return height_; }

    HRESULT Read() {
        if (size_ < 2 || data_[0] != 'P' || (data_[1] != '3' && data_[1] != '6')) {
            return E_FAIL;
        }
        binary_ = data_[1] == '6';
        pos_ = 2;
        if (pos_ >= size_) {
            return E_FAIL;
        }
        while (pos_ < size_) {
            if (binary_ && token_ == 3) {
                return ReadBinarySamples();
            }
            BYTE c = data_[pos_];
            if (IsSpace(c)) {
                ++pos_;
            } else if (c == '#') {
                while (pos_ < size_ && data_[pos_++] != '\n') {
                }
            } else {
                uint64_t value = 0;
                HRESULT hr = ReadNumber(&value);
                if (FAILED(hr)) {
                    return hr;
                }
                hr = UseNumber(value);
                if (hr != S_FALSE) {
                    return hr;  // the last pixel is complete, or a failure
                }
            }
        }
        return E_FAIL;  // the data ended before the last pixel
    }

private:
    // Digits up to whitespace or the end; numbers above 32 bits are a bad
    // token.
    HRESULT ReadNumber(uint64_t* value) {
        uint64_t v = 0;
        for (; pos_ < size_ && !IsSpace(data_[pos_]); ++pos_) {
            if (!IsDigit(data_[pos_])) {
                return E_FAIL;
            }
            v = v * 10 + (data_[pos_] - '0');
            if (v > UINT32_MAX) {
                return E_FAIL;
            }
        }
        *value = v;
        return S_OK;
    }

    // S_FALSE: go on reading tokens.
    HRESULT UseNumber(uint64_t value) {
        switch (token_) {
        case 0:
            if (value == 0) return E_FAIL;
            width_ = value;
            break;
        case 1: {
            if (value == 0) return E_FAIL;
            HRESULT hr = Allocate(value);
            if (FAILED(hr)) return hr;
            break;
        }
        case 2:
            if (value == 0) return E_FAIL;
            maximum_ = value;
            if (image_ == nullptr && !binary_) return S_OK;  // decimal samples are data
            break;
        case 3:
            if (written_ >= pixelCount_) return E_FAIL;
            pixel_ = 0xFF000000u | Scale(value, maximum_) << 16;
            break;
        case 4: pixel_ |= Scale(value, maximum_) << 8; break;
        default:
            pixel_ |= Scale(value, maximum_);
            Store(pixel_);
            if (written_ == pixelCount_) {
                return S_OK;
            }
            token_ = 3;
            return S_FALSE;
        }
        ++token_;
        return S_FALSE;
    }

    HRESULT Allocate(uint64_t height) {
        // The image fields are 32 bits wide.
        if (width_ > INT32_MAX / 4 || height > INT32_MAX) {
            return E_FAIL;
        }
        if (!tovtex::FitsPixelLimit(width_, height)) {
            return ERR_IMAGETOOLARGE;
        }
        pixelCount_ = width_ * height;
        // Refuse files that cannot hold the samples before asking for the
        // memory: 3 bytes a pixel, or 6 for decimal samples and separators.
        uint64_t needed = pixelCount_ * (binary_ ? 3 : 6) - (binary_ ? 0 : 1);
        if (size_ - pos_ < needed) {
            return E_FAIL;
        }
        height_ = height;
        if (image_ == nullptr) {
            return S_OK;
        }
        HRESULT hr = tovtex::AttachOwnedPixels(image_, 4 * pixelCount_);
        if (FAILED(hr)) {
            return hr;
        }
        image_->format = D3DFMT_X8R8G8B8;
        image_->rect = RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height)};
        image_->rowPitch = static_cast<UINT>(4 * width_);
        out_ = reinterpret_cast<DWORD*>(image_->pixels);
        return S_OK;
    }

    void Store(DWORD pixel) { out_[written_++] = pixel; }

    HRESULT ReadBinarySamples() {
        if (maximum_ > 255) {
            return E_FAIL;
        }
        pos_ += data_[pos_] == '\r' && size_ - pos_ >= 2 ? 2 : 1;
        if (image_ == nullptr) {
            return (size_ - pos_) / 3 >= pixelCount_ ? S_OK : E_FAIL;
        }
        DWORD table[256];
        for (unsigned s = 0; s < 256; ++s) {
            table[s] = Scale(s, maximum_);
        }
        const BYTE* src = data_ + pos_;
        uint64_t triples = (size_ - pos_) / 3;
        uint64_t count = triples < pixelCount_ ? triples : pixelCount_;
        if (maximum_ == 255) {
            for (uint64_t i = 0; i < count; ++i, src += 3) {
                out_[i] = 0xFF000000u | DWORD{src[0]} << 16 | DWORD{src[1]} << 8 | src[2];
            }
        } else {
            for (uint64_t i = 0; i < count; ++i, src += 3) {
                out_[i] = 0xFF000000u | table[src[0]] << 16 | table[src[1]] << 8 | table[src[2]];
            }
        }
        return count == pixelCount_ ? S_OK : E_FAIL;
    }

    Image* image_;
    const BYTE* data_;
    uint64_t size_;
    uint64_t pos_ = 0;
    bool binary_ = false;
    unsigned token_ = 0;
    uint64_t width_ = 0;
    uint64_t height_ = 0;
    uint64_t maximum_ = 255;
    uint64_t pixelCount_ = 0;
    uint64_t written_ = 0;
    DWORD pixel_ = 0;
    DWORD* out_ = nullptr;
};

}  // namespace

HRESULT ReadPpm(Image* image, const BYTE* data, UINT size) {
    return PixmapReader(image, data, size).Read();
}

HRESULT tovtex::ReadPpmHeader(const BYTE* data, UINT size, ImageHeader* header) {
    PixmapReader reader(nullptr, data, size);
    if (HRESULT hr = reader.Read(); FAILED(hr)) {
        return hr;
    }
    *header = ImageHeader{D3DFMT_X8R8G8B8, static_cast<UINT>(reader.Width()), static_cast<UINT>(reader.Height()), 1, 1};
    return S_OK;
}

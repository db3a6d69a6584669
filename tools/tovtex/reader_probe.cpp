#include "reader_probe.h"

#include "base/tovtex_defs.h"
#include "texload/image_readers.h"

namespace tovtex_tool {

namespace {

struct NamedReader {
    ImageReader reader;
    const char* name;
};

const NamedReader READER_NAMES[] = {
    {ReadBmp, "BMP"}, {ReadPpm, "PPM"}, {ReadDds, "DDS"}, {ReadJpeg, "JPEG"},
    {ReadPng, "PNG"}, {ReadTga, "TGA"}, {ReadDib, "DIB"},
};

const char* NameOf(ImageReader reader) {
    for (const NamedReader& named : READER_NAMES) {
        if (named.reader == reader) {
            return named.name;
        }
    }
    return "?";
}

}  // namespace

HRESULT DecodeNamingReader(Image* image, const BYTE* data, UINT size, const char** readerName) {
    if (data == nullptr || size == 0) {
        return D3DERR_INVALIDCALL;
    }
    // The library's own order, so the tool names the reader the loaders use.
    bool tooLarge = false;
    for (ImageReader reader : READER_ORDER) {
        const HRESULT hr = reader(image, data, size);
        if (hr >= 0) {
            *readerName = NameOf(reader);
            return S_OK;
        }
        tooLarge = tooLarge || hr == ERR_IMAGETOOLARGE;
        image->Release();
    }
    return tooLarge ? ERR_IMAGETOOLARGE : ERR_INVALIDDATA;
}

UINT CountLevels(const Image& image) {
    UINT levels = 1;
    for (const Image* level = image.nextLevel; level != nullptr; level = level->nextLevel) {
        ++levels;
    }
    return levels;
}

UINT CountFaces(const Image& image) {
    UINT faces = 1;
    for (const Image* face = image.nextFace; face != nullptr; face = face->nextFace) {
        ++faces;
    }
    return faces;
}

}  // namespace tovtex_tool

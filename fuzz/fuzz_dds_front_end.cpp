// The tool's DDS front end on any bytes behind "DDS ": it must never read
// outside the input, and what it converts must be read by the library's
// DDS reader (textures and cube maps) or walk level by level inside the
// converted bytes (volumes).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dds_front_end.h"
#include "dds_writer.h"
#include "tovtex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (64u << 20)) {
        return 0;
    }
    std::vector<BYTE> bytes(data, data + size);
    if (bytes.size() >= 4) {
        std::memcpy(bytes.data(), "DDS ", 4);
    }
    // Small pictures only, so a few bytes cannot ask for gigabytes.
    SetImagePixelLimit(1u << 20);
    tovtex_tool::DdsFrontEnd frontEnd;
    std::string reason;
    const HRESULT hr = tovtex_tool::ReadDdsFrontEnd(bytes.data(), static_cast<UINT>(bytes.size()), &frontEnd, &reason);
    if (FAILED(hr) != !reason.empty() && hr != ERR_IMAGETOOLARGE && hr != E_OUTOFMEMORY) {
        std::abort();  // every refusal says why
    }
    if (FAILED(hr) || !frontEnd.applied) {
        return 0;
    }
    if (frontEnd.volume) {
        uint64_t end = 128;
        for (UINT level = 0; level < frontEnd.levels; ++level) {
            UINT w = 0, h = 0, d = 0;
            const BYTE* at = tovtex_tool::VolumeLevel(frontEnd, level, &w, &h, &d);
            end = static_cast<uint64_t>(at - frontEnd.file.data.get()) +
                  tovtex_tool::DdsRowBytes(frontEnd.format, w) * tovtex_tool::DdsRowCount(frontEnd.format, h) * d;
        }
        if (end != frontEnd.file.size) {
            std::abort();
        }
        return 0;
    }
    Image image;
    ImageInfo info{};
    if (FAILED(DecodeImageFile(&image, frontEnd.file.data.get(), frontEnd.file.size, &info)) ||
        info.width != frontEnd.width || info.height != frontEnd.height || info.mipLevels != frontEnd.levels ||
        image.FaceCount() != frontEnd.faces) {
        std::abort();
    }
    return 0;
}

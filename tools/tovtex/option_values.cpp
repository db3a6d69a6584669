#include "option_values.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <thread>

#include "base/tovtex_defs.h"

namespace tovtex_tool {

namespace {

bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value, size_t maxDigits = 10) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + static_cast<uint64_t>(c - '0');
    }
    if (result > max) {
        return false;
    }
    *value = result;
    return true;
}

}  // namespace

bool ParseCount(const std::string& text, UINT max, UINT* value) {
    uint64_t parsed = 0;
    if (!ParseDecimal(text, max, &parsed)) {
        return false;
    }
    *value = static_cast<UINT>(parsed);
    return true;
}

bool ParsePixelLimit(const std::string& text, ULONGLONG* pixels) {
    // 18 digits cannot overflow 64 bits and are far above any picture.
    uint64_t parsed = 0;
    if (!ParseDecimal(text, UINT64_MAX, &parsed, 18)) {
        return false;
    }
    *pixels = parsed;
    return true;
}

bool ParseSize(const std::string& text, UINT* width, UINT* height) {
    // Far beyond any device limit, yet small enough for 32-bit sizes.
    constexpr UINT MAX_SIDE = 1u << 20;
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        return ParseCount(text, MAX_SIDE, width) && ParseCount(text, MAX_SIDE, height);
    }
    return ParseCount(text.substr(0, x), MAX_SIDE, width) && ParseCount(text.substr(x + 1), MAX_SIDE, height);
}

bool ParseMips(const std::string& text, UINT* levels) {
    if (text == "all") {
        *levels = 0;
        return true;
    }
    if (text == "none") {
        *levels = 1;
        return true;
    }
    UINT count = 0;
    if (!ParseCount(text, 32, &count) || count == 0) {
        return false;
    }
    *levels = count;
    return true;
}

bool ParseFilter(const std::string& text, DWORD* filter) {
    struct Named {
        const char* name;
        DWORD value;
    };
    static constexpr Named FILTERS[] = {{"none", FILTER_NONE},
                                        {"point", FILTER_POINT},
                                        {"linear", FILTER_LINEAR},
                                        {"triangle", FILTER_TRIANGLE},
                                        {"box", FILTER_BOX}};
    for (const Named& named : FILTERS) {
        if (text == named.name) {
            *filter = named.value;
            return true;
        }
    }
    return false;
}

bool ParseMirror(const std::string& text, DWORD* flags) {
    DWORD result = 0;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string axis = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (axis == "u") {
            result |= FILTER_MIRROR_U;
        } else if (axis == "v") {
            result |= FILTER_MIRROR_V;
        } else if (axis == "w") {
            result |= FILTER_MIRROR_W;
        } else {
            return false;
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    *flags = result;
    return true;
}

bool ParseQuality(const std::string& text, BlockQuality* quality) {
    struct Named {
        const char* name;
        BlockQuality value;
    };
    static constexpr Named QUALITIES[] = {
        {"fast", BlockQuality::FAST}, {"normal", BlockQuality::NORMAL}, {"best", BlockQuality::BEST}};
    for (const Named& named : QUALITIES) {
        if (text == named.name) {
            *quality = named.value;
            return true;
        }
    }
    return false;
}

bool ParseWeights(const std::string& text, bool* perceptual) {
    if (text != "plain" && text != "perceptual") {
        return false;
    }
    *perceptual = text == "perceptual";
    return true;
}

unsigned CoreCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

bool ParseThreads(const std::string& text, unsigned max, unsigned* threads) {
    UINT count = 0;
    if (!ParseCount(text, max, &count)) {
        return false;
    }
    *threads = count != 0 ? count : CoreCount();
    return true;
}

bool ParseColorKey(const std::string& text, D3DCOLOR* key) {
    std::string digits = text;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) {
        digits.erase(0, 2);
    } else if (!digits.empty() && digits[0] == '#') {
        digits.erase(0, 1);
    }
    if (digits.size() != 8) {
        return false;
    }
    D3DCOLOR value = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = (value << 4) | static_cast<D3DCOLOR>(digit);
    }
    *key = value;
    return true;
}

}  // namespace tovtex_tool

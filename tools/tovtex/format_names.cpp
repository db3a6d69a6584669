#include "format_names.h"

#include <cctype>
#include <cstdio>

#include "codec/format_facts.h"

namespace tovtex_tool {

namespace {

std::string Upper(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

}  // namespace

std::string FormatName(D3DFORMAT format) {
    if (const FormatFacts* facts = FindFormatFacts(format)) {
        return facts->name;
    }
    char number[16];
    std::snprintf(number, sizeof(number), "0x%08X", static_cast<unsigned>(format));
    return number;
}

D3DFORMAT ParseFormatName(const std::string& name) {
    std::string wanted = Upper(name);
    if (wanted.rfind("D3DFMT_", 0) == 0) {
        wanted.erase(0, 7);
    }
    for (const FormatFacts& facts : FORMAT_FACTS) {
        if (wanted == facts.name) {
            return facts.format;
        }
    }
    return D3DFMT_UNKNOWN;
}

}  // namespace tovtex_tool

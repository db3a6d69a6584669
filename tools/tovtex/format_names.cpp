#include "format_names.h"

#include <cctype>
#include <cstdio>

namespace tovtex_tool {

namespace {

struct NamedFormat {
    D3DFORMAT format;
    const char* name;
};

const NamedFormat FORMAT_NAMES[] = {
    {D3DFMT_R8G8B8, "R8G8B8"},         {D3DFMT_A8R8G8B8, "A8R8G8B8"},       {D3DFMT_X8R8G8B8, "X8R8G8B8"},
    {D3DFMT_R5G6B5, "R5G6B5"},         {D3DFMT_X1R5G5B5, "X1R5G5B5"},       {D3DFMT_A1R5G5B5, "A1R5G5B5"},
    {D3DFMT_A4R4G4B4, "A4R4G4B4"},     {D3DFMT_R3G3B2, "R3G3B2"},           {D3DFMT_A8, "A8"},
    {D3DFMT_A8R3G3B2, "A8R3G3B2"},     {D3DFMT_X4R4G4B4, "X4R4G4B4"},       {D3DFMT_A2B10G10R10, "A2B10G10R10"},
    {D3DFMT_G16R16, "G16R16"},         {D3DFMT_A8P8, "A8P8"},               {D3DFMT_P8, "P8"},
    {D3DFMT_L8, "L8"},                 {D3DFMT_A8L8, "A8L8"},               {D3DFMT_A4L4, "A4L4"},
    {D3DFMT_V8U8, "V8U8"},             {D3DFMT_L6V5U5, "L6V5U5"},           {D3DFMT_X8L8V8U8, "X8L8V8U8"},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8"},     {D3DFMT_V16U16, "V16U16"},           {D3DFMT_W11V11U10, "W11V11U10"},
    {D3DFMT_A2W10V10U10, "A2W10V10U10"}, {D3DFMT_UYVY, "UYVY"},             {D3DFMT_YUY2, "YUY2"},
    {D3DFMT_DXT1, "DXT1"},             {D3DFMT_DXT2, "DXT2"},               {D3DFMT_DXT3, "DXT3"},
    {D3DFMT_DXT4, "DXT4"},             {D3DFMT_DXT5, "DXT5"},
};

std::string Upper(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

}  // namespace

std::string FormatName(D3DFORMAT format) {
    for (const NamedFormat& named : FORMAT_NAMES) {
        if (named.format == format) {
            return named.name;
        }
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
    for (const NamedFormat& named : FORMAT_NAMES) {
        if (wanted == named.name) {
            return named.format;
        }
    }
    return D3DFMT_UNKNOWN;
}

}  // namespace tovtex_tool

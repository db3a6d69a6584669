// Result codes in words: every code the library returns has its own text,
// and any other code is named by number.

#include <gtest/gtest.h>

#include <string>

#include "tovtex.h"

namespace {

TEST(ResultText, KnownCodesHaveTextsAndNames) {
    struct Case {
        HRESULT code;
        const char* name;  // null: known by number
        const char* text;
    };
    const Case cases[] = {
        {S_OK, "S_OK", "success"},
        {E_FAIL, "E_FAIL", "the data or the request is not supported"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "invalid call (a bad argument)"},
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "no pixel format fits the device"},
        {ERR_INVALIDDATA, "ERR_INVALIDDATA", "no reader accepts the data"},
        {ERR_IMAGETOOLARGE, "ERR_IMAGETOOLARGE", "the picture is larger than the pixel limit"},
        {static_cast<HRESULT>(0x80070002), nullptr, "file not found"},
        {static_cast<HRESULT>(0x800703EE), nullptr, "the file is empty or cannot be mapped"},
        {static_cast<HRESULT>(0x80070026), nullptr, "the file ended early (it was shortened while being read)"},
        {static_cast<HRESULT>(0x80070716), nullptr, "resource name not found"},
        {static_cast<HRESULT>(0x80041234), nullptr, "unknown result code 0x80041234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(ResultText(c.code), c.text);
        if (c.name == nullptr) {
            EXPECT_EQ(ResultName(c.code), nullptr);
        } else {
            EXPECT_STREQ(ResultName(c.code), c.name);
        }
    }
}

}  // namespace

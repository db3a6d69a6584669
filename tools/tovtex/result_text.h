#pragma once
// Result codes as people read them: "ERR_INVALIDDATA: no reader accepts the
// data", or "0x80070002: file not found" for codes without a symbolic name.

#include <string>

#include <windows.h>

namespace tovtex_tool {

// A reason, where given, takes the place of the result's usual text.
std::string DescribeResult(HRESULT result, const std::string& reason = "");

// A system error number (errno) as the library reports file errors:
// 0x8007xxxx with the platform's error number.
HRESULT ResultFromErrno(int error);

}  // namespace tovtex_tool

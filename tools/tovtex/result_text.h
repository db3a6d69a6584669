#pragma once
// Result codes as people read them: the cause first, the code after it in
// brackets for those who want it: "file not found [0x80070002]".

#include <string>

#include <windows.h>

namespace tovtex_tool {

// The symbolic name ("ERR_INVALIDDATA") or the number ("0x80070002").
std::string ResultCode(HRESULT result);

// A reason, where given, takes the place of the result's usual text.
std::string DescribeResult(HRESULT result, const std::string& reason = "");

// A system error number (errno) as the library reports file errors:
// 0x8007xxxx with the platform's error number.
HRESULT ResultFromErrno(int error);

}  // namespace tovtex_tool

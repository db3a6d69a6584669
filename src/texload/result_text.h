#pragma once
// Result codes in words, for programs that show a failure to a person.

#include <windows.h>

// A short English text for any result code the library returns ("file not
// found", "no reader accepts the data"). Known codes give a constant text;
// any other code gives "unknown result code 0x8XXXXXXX", held in a buffer of
// the calling thread that stays valid until its next call with an unknown
// code. Never null.
const char* ResultText(HRESULT result);

// The code's symbolic name ("ERR_INVALIDDATA", "E_FAIL"), or null for codes
// known only by number (system errors, unknown codes).
const char* ResultName(HRESULT result);

#pragma once
// Test seam: while set, the conversion engine leaves out its shortcuts (the
// direct row converters, the column gathering and integer averaging of the
// linear filter) and texture loads leave out decoding straight into the top
// level and verbatim level copies, taking the plain route through the decoded
// picture and ColorF rows, so tests can compare the two routes' bits. Off by
// default.

namespace tovtex {

void SetConversionShortcutsOff(bool off);
bool ConversionShortcutsOff();

}  // namespace tovtex

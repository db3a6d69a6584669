#pragma once
// Test seam: while set, the conversion engine leaves out its shortcuts (the
// direct row converters and the column gathering of the linear filter) and
// takes the plain route through ColorF rows, and the texture loader copies
// no level verbatim, so tests can compare the two routes' bits. Off by
// default.

namespace tovtex {

void SetConversionShortcutsOff(bool off);
bool ConversionShortcutsOff();

}  // namespace tovtex

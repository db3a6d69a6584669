#pragma once
// Named profiles of the software device, for programs that run without a
// real card and want the device to behave like a given kind of card:
//   "default"  a capable card (no size rules, 4096 limits, every format);
//   "modern"   the same with today's limits (16384, volumes 2048);
//   "pow2"     the same, but sizes of every texture kind must be powers of two;
//   "square"   the same as "pow2", and textures must also be square.
// Select before the device is created; the choice holds for the process.

namespace platform {

// False (and nothing changes) for a name that is not one of the above.
bool SelectDeviceProfile(const char* name);

// The names above, ending with a null pointer.
const char* const* DeviceProfileNames();

}  // namespace platform

#pragma once
// Tests of the out-of-memory paths need an allocation that fails. Under
// AddressSanitizer a huge request is reported and ends the program instead
// of returning null, so those tests skip there.

#include <gtest/gtest.h>

namespace test_support {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool ALLOCATOR_RETURNS_NULL = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool ALLOCATOR_RETURNS_NULL = false;
#else
inline constexpr bool ALLOCATOR_RETURNS_NULL = true;
#endif
#else
inline constexpr bool ALLOCATOR_RETURNS_NULL = true;
#endif

}  // namespace test_support

// First statement of a test that needs a failing allocation.
#define SKIP_UNLESS_ALLOCATION_CAN_FAIL()       \
    if (test_support::ALLOCATOR_RETURNS_NULL) { \
    } else                                      \
        GTEST_SKIP() << "the sanitizer's allocator does not return null"

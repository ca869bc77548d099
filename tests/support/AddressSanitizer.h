#pragma once

// TESSEL_ADDRESS_SANITIZER is defined when the build runs under AddressSanitizer, which gcc tells
// through __SANITIZE_ADDRESS__ and clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_ADDRESS_SANITIZER 1
#endif
#endif

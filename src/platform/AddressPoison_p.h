#pragma once
// Memory that an allocator of ours keeps but that nobody may use is marked for
// AddressSanitizer, so that a use of it is reported as one of freed heap memory would be
// (internal). Without the sanitizer the marks are nothing.

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define CORVANE_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define CORVANE_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define CORVANE_POISON(address, size) ((void)(address), (void)(size))
#define CORVANE_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

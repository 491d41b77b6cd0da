#include "corvane/platform/VectorState_p.h"

namespace corvane {

#if defined(__x86_64__) && defined(__GNUC__)

namespace {

const bool hasAvx = __builtin_cpu_supports("avx");

} // namespace

void clearUpperVectorHalves()
{
    if (hasAvx)
        asm volatile("vzeroupper");
}

#else

void clearUpperVectorHalves() {}

#endif

} // namespace corvane

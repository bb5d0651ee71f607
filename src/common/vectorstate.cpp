#include "common/vectorstate.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace tervan {

namespace {

// Compiled for AVX alone, and only called where the processor has it.
__attribute__((target("avx"))) void zeroUpper()
{
    _mm256_zeroupper();
}

} // namespace

void clearUpperVectorState()
{
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        zeroUpper();
}

} // namespace tervan

#else

namespace tervan {

void clearUpperVectorState() {}

} // namespace tervan

#endif

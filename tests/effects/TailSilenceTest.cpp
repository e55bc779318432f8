#include "ChainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

using namespace ParamIndex;
using EffectTest::ChainRig;

namespace
{
/** Lets denormal numbers through for its lifetime, as a host that does not set
    flush-to-zero would, so that the effects' own protection is what is tested. */
class DenormalsAllowed
{
public:
#if defined(__SSE__) || defined(__x86_64__)
    DenormalsAllowed() : saved (_mm_getcsr()) { _mm_setcsr (saved & ~kFlushBits); }
    ~DenormalsAllowed() { _mm_setcsr (saved); }

private:
    static constexpr unsigned kFlushBits = 0x8040; // flush-to-zero, denormals-are-zero
    unsigned saved;
#endif
};
} // namespace

TEST (MasterEffectChain, TailsDecayIntoTrueSilenceWithoutDenormals)
{
    DenormalsAllowed allowed;
    for (int type = 0; type <= 4; ++type)
    {
        ChainRig rig;
        rig.values.everythingOn (type);

        auto music = EffectTest::noise (2 * 2 * 44100);
        rig.run (music);

        // A minute of silence in one-second pieces.
        long denormals = 0;
        std::vector<float> second ((size_t) (2 * 44100));
        for (int s = 0; s < 60; ++s)
        {
            std::fill (second.begin(), second.end(), 0.0f);
            rig.run (second);
            for (const float v : second)
                denormals += std::fpclassify (v) == FP_SUBNORMAL;
        }
        EXPECT_EQ (denormals, 0) << "type " << type;
        EXPECT_EQ (EffectTest::peak (second, 0, 0, 44100) + EffectTest::peak (second, 1, 0, 44100), 0.0f) << "type " << type;
    }
}

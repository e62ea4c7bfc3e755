// The depth discs' generator against the C library's drand48 family.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "base/drand48.h"

// The first draws of the C library's drand48 after srand48(1700000000), kept
// so that platforms without the library function check the same sequence.
TEST(StampDrand48, KnownDrawsAfterSeeding) {
    Srand48(1700000000);
    const double expected[] = {0x1.cdfdffb8a202p-1, 0x1.eda2d902c6fp-1, 0x1.ae24d454a88cp-2, 0x1.5ec68113179p-3};
    for (double e : expected) EXPECT_EQ(Drand48(), e);
}

#if !defined(_WIN32)  // the Windows C library has no drand48 family

TEST(StampDrand48, MatchesTheCLibraryFromTheSameSeed) {
    for (long seed : {0L, 1L, 12345L, -7L, 0x7FFFFFFFL, 1700000000L}) {
        ::srand48(seed);
        Srand48(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(Drand48(), ::drand48()) << "seed " << seed << " draw " << i;
    }
}

TEST(StampDrand48, Erand48MatchesOnAnOwnState) {
    unsigned short theirs[3] = {0x1234, 0xABCD, 0x5678};
    TDrand48State ours;
    ours.x[0] = 0x1234;
    ours.x[1] = 0xABCD;
    ours.x[2] = 0x5678;
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(Erand48(ours), ::erand48(theirs)) << "draw " << i;
    EXPECT_EQ(ours.x[0], theirs[0]);
    EXPECT_EQ(ours.x[1], theirs[1]);
    EXPECT_EQ(ours.x[2], theirs[2]);
}

TEST(StampDrand48, AFreshProcessStateMatchesAnUnseededLibrary) {
    Drand48ResetForTests();
    unsigned short fresh[3] = {0x330E, 0xABCD, 0x1234};  // the library's documented initial state
    for (int i = 0; i < 100; ++i) ASSERT_EQ(Drand48(), ::erand48(fresh));
}

#endif

TEST(StampDrand48, DrawsLieInTheUnitInterval) {
    Srand48(99);
    for (int i = 0; i < 10000; ++i) {
        const double u = Drand48();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

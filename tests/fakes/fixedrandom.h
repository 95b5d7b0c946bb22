#pragma once

#include "common/random.h"

// A random source that always gives the same value: the middle by default, so backoff
// delays carry no jitter.
class FixedRandom final : public Random {
public:
    double uniform() override { return value; }
    double value = 0.5;
};

#pragma once

// A uniform source in [0, 1), injected where behaviour is random.
class Random {
public:
    virtual ~Random() = default;
    virtual double uniform() = 0;

    static Random &system();
};

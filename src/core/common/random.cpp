#include "random.h"

#include <QRandomGenerator>

namespace {
class SystemRandom final : public Random {
public:
    double uniform() override { return QRandomGenerator::global()->generateDouble(); }
};
} // namespace

Random &Random::system() {
    static SystemRandom random;
    return random;
}

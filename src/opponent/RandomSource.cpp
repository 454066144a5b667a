#include "opponent/RandomSource.h"

namespace korvel {

double SeededRandom::next() {
    return static_cast<double>(m_engine()) / 4294967296.0;
}

}  // namespace korvel

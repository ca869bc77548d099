#pragma once

#include "settings/RuntimeError.h"

namespace tessel::testing {

// The number of the RuntimeError that action throws; 0 when it throws none.
inline int ErrorNumberOf(auto action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

}  // namespace tessel::testing

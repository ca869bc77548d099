#include "settings/mdlIsType.h"

#include "settings/NumericText.h"
#include "settings/RuntimeError.h"

namespace tessel::mdlIsType {

bool IsInteger(std::string_view str) {
    try {
        ToInteger(str);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace tessel::mdlIsType

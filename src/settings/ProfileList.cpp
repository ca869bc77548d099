#include "settings/ProfileList.h"

namespace tessel {

std::uint32_t PlaceProfileList(std::string_view list, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    if (list.size() < size) {
        list.copy(buffer, list.size());
        buffer[list.size()] = '\0';
        if (list.empty() && size >= 2)
            buffer[1] = '\0';
        return static_cast<std::uint32_t>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    list.copy(buffer, size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

}  // namespace tessel

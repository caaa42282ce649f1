// Resources of the general breed plug-in, in place of a resource section.
#pragma once

#include <cstdint>

namespace general_breed {

constexpr uint16_t kResourceTypeHtml = 23;
constexpr uint16_t kValidatorResourceId = 101;

struct Resource {
    uint16_t type;
    uint16_t id;
    const unsigned char* data;
    uint32_t size;
};

const Resource* FindResource(uint16_t type, uint16_t id);

}  // namespace general_breed

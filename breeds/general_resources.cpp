#include "breeds/general_resources.h"

// The validator style sheet's bytes, generated from validator.xsl at build time.
extern const unsigned char cvl_general_validator_xsl[];
extern const uint32_t cvl_general_validator_xsl_size;

namespace general_breed {

const Resource* FindResource(uint16_t type, uint16_t id) {
    static const Resource kResources[] = {
        {kResourceTypeHtml, kValidatorResourceId, cvl_general_validator_xsl, cvl_general_validator_xsl_size},
    };
    for (const Resource& r : kResources)
        if (r.type == type && r.id == id) return &r;
    return nullptr;
}

}  // namespace general_breed

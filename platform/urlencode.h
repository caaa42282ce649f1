// Form encoding of the values posted to the web service.
#pragma once

#include <cstddef>
#include <string>

// In place, byte by byte: a space becomes '+', ASCII letters and digits stay, every other byte
// becomes '%' and two lower-case hexadecimal digits. Returns the new length.
size_t UrlFormEncode(std::string& text);

#pragma once

#include <cstddef>

// A picture compiled into the program (files under resources/pictures, named by
// their file name without extension).
struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// The embedded resource of that name, or nullptr.
const EmbeddedResource* FindEmbeddedResource(const char* name);

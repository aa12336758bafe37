// A PNG decoder for the tests, stb_image (Debian's libstb-dev), compiled here once.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

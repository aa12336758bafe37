// The PNG encoder, stb_image_write (Debian's libstb-dev), compiled here once.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

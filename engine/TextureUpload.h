#pragma once
// The one way a decoded image becomes a texture's content: binds `name` to
// GL_TEXTURE_2D on the active unit (and leaves it bound), sets the show's four
// texture parameters and the tightly packed unpack state, and uploads level 0
// as GL_RGBA. Used by Texture at start-up and by texture reloading.

#include "ImageDecoder.h"

namespace lb_engine {

void uploadTextureImage(unsigned int name, const DecodedImage& image);

}  // namespace lb_engine

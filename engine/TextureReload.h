#pragma once
// Re-uploading an image file into an existing texture name, for live editing of
// the pictures while the show plays: whoever holds the name (the catalogue, the
// scenes) sees the new picture at the next draw. The file goes through the same
// decoder choice and upload as at start-up (Texture, uploadTextureImage).
//
// A file that cannot be read or decoded (say, half written by an editor) leaves
// the texture as it was. Like the start-up upload, this binds the texture on
// the active unit; callers that must not disturb GL state save and restore it.

#include "Texture.h"

#include <string>

namespace lb_engine {

// Returns false with "path: problem" in `error` and the texture unchanged.
bool reloadTexture(const std::string& path, ImgType type, unsigned int name, std::string* error);

}  // namespace lb_engine

#pragma once
// GL error checking around rendered frames. Every run drains glGetError after
// each frame; --check-gl adds the driver's KHR_debug messages (errors are
// counted by the callback in engine/GlDebug.h), which name the offending call
// where glGetError gives only a code.

#include <string>

namespace lb_render {

// "GL_INVALID_OPERATION" and the like; "unknown GL error" for other codes.
const char* glErrorName(unsigned int code);

// "the frame at t = 44.3 s": how messages name a frame, by its clock value.
std::string describeFrame(double t);

class GlErrorCheck {
 public:
  // With `debugOutput`, installs the KHR_debug callback (the context should
  // have been created with the debug flag for the driver to say much). Returns
  // false when the driver offers no KHR_debug; glGetError is checked all the same.
  bool start(bool debugOutput);

  bool debugOutputActive() const { return debugActive_; }

  // Drains every pending glGetError code and looks for errors the callback has
  // seen since the last check. Returns false on any, with a message
  // "GL error GL_INVALID_ENUM (0x0500) while <what>" in *error.
  bool check(const std::string& what, std::string* error);

 private:
  bool debugActive_ = false;
  int debugErrorsSeen_ = 0;
};

}  // namespace lb_render

#pragma once
// A private base for classes that own something that must not be shared or
// freed twice (a GL object, the audio device, an inotify descriptor): copying
// and assigning them are refused at compile time.

namespace lb_engine {

class NonCopyable {
 public:
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;

 protected:
  NonCopyable() = default;
  ~NonCopyable() = default;
};

}  // namespace lb_engine

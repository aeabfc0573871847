#pragma once
// The director's overlay, drawn with Dear ImGui over the show's frame: a
// timeline of the ten scenes with the music's bar lines (click or drag to
// scrub), the clock, scene and frame, the music's bar, beat and section, a
// graph of recent frame times against the 16.7 ms line of 60 fps, and the
// last shader build log. Drawing it leaves every piece of GL state the
// scenes rely on as it found it (GlStateGuard around ImGui's own save/restore),
// so the next frame of the show is the one it would have been without it.

#include "NonCopyable.h"
#include "Transport.h"

#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;
struct ImDrawList;
struct ImVec2;

namespace lb_dev {

// Window-space rectangle in pixels, origin at the top left.
struct OverlayRect {
  float x = 0, y = 0, width = 0, height = 0;
};

// What the overlay shows besides the transport.
struct OverlayModel {
  const Transport* transport = nullptr;
  const std::vector<float>* frameMs = nullptr;  // recent frame times, oldest first
  std::string buildLog;                         // last shader build result
  std::string status;                           // one line: last reload, screenshot, ...
  bool muted = false;
  int barLoopLength = 4;                        // bars that B loops
};

class Overlay : lb_engine::NonCopyable {
 public:
  ~Overlay();

  // Needs the window's GL context current. False with a message on failure.
  bool init(SDL_Window* window, void* glContext, std::string* error);
  // Hands an event to ImGui; true when ImGui takes it (a click on the overlay).
  bool handleEvent(const SDL_Event& event);

  // Builds and draws one frame of the overlay into the current framebuffer.
  // Returns true with the clock value in *seekTo when the timeline was clicked
  // or dragged this frame.
  bool draw(const OverlayModel& model, double* seekTo);

  // The rectangles the last draw() covered (nothing outside them was touched).
  const std::vector<OverlayRect>& rectangles() const { return rects_; }

 private:
  void drawStatus(const OverlayModel& model);
  void drawMusicPosition(const Transport& transport);
  bool drawTimeline(const Transport& transport, double* seekTo);
  void drawBarLines(const Transport& transport, ImDrawList* draw, const ImVec2& topLeft, float width, float bottom);
  void drawBuildLog(const OverlayModel& model);
  void remember();

  bool started_ = false;
  std::vector<OverlayRect> rects_;
};

}  // namespace lb_dev

#include "Overlay.h"

#include "GlState.h"

#include <SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lb_dev {

namespace {

const float kMargin = 8.0f;
const float kTimelineHeight = 46.0f;     // pixels of the scene bar
const float kBarTick = 10.0f;            // pixels of a bar line, up from the scene bar's bottom
const float kBarLabelsFrom = 640.0f;     // timeline width in pixels from which cut labels name their bar
const float kGraphHeight = 48.0f;
const float kGraphTopMs = 33.3f;         // the graph spans at least 0 to two 60 fps frames
const float kFrameBudgetMs = 1000.0f / 60.0f;

const ImGuiWindowFlags kPanel = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                ImGuiWindowFlags_NoNav;

// Alternating hues, so that neighbouring scenes are told apart on the bar.
ImU32 sceneColour(size_t index) {
  static const ImU32 colours[] = {IM_COL32(70, 110, 170, 255), IM_COL32(60, 140, 120, 255),
                                  IM_COL32(150, 110, 60, 255), IM_COL32(120, 80, 150, 255)};
  return colours[index % (sizeof colours / sizeof colours[0])];
}

}  // namespace

Overlay::~Overlay() {
  if (!started_) return;
  ImGui_ImplOpenGL3_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
}

bool Overlay::init(SDL_Window* window, void* glContext, std::string* error) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  // No imgui.ini: the player must write nothing into the data set's folder.
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  ImGui::StyleColorsDark();
  ImGui::GetStyle().WindowRounding = 0.0f;
  if (!ImGui_ImplSDL2_InitForOpenGL(window, glContext)) {
    *error = "the overlay's SDL input could not be set up";
    ImGui::DestroyContext();
    return false;
  }
  GlStateGuard guard;
  if (!ImGui_ImplOpenGL3_Init("#version 410 core")) {
    *error = "the overlay's OpenGL renderer could not be set up";
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    return false;
  }
  started_ = true;
  return true;
}

bool Overlay::handleEvent(const SDL_Event& event) {
  if (!started_) return false;
  ImGui_ImplSDL2_ProcessEvent(&event);
  const bool mouse = event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP ||
                     event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEWHEEL;
  return mouse && ImGui::GetIO().WantCaptureMouse;
}

void Overlay::remember() {
  const ImVec2 pos = ImGui::GetWindowPos();
  const ImVec2 size = ImGui::GetWindowSize();
  rects_.push_back({pos.x, pos.y, size.x, size.y});
}

bool Overlay::draw(const OverlayModel& model, double* seekTo) {
  rects_.clear();
  if (!started_) return false;
  // Everything the scenes rely on is captured before ImGui's backend creates
  // its objects (on the first frame) or draws, and put back afterwards.
  GlStateGuard guard;
  ImGui_ImplOpenGL3_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  drawStatus(model);
  const bool seek = drawTimeline(*model.transport, seekTo);
  drawBuildLog(model);
  ImGui::Render();
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  return seek;
}

void Overlay::drawStatus(const OverlayModel& model) {
  const Transport& transport = *model.transport;
  ImGui::SetNextWindowPos(ImVec2(kMargin, kMargin));
  ImGui::SetNextWindowBgAlpha(0.75f);
  ImGui::Begin("##status", nullptr, kPanel | ImGuiWindowFlags_AlwaysAutoResize);
  const int scene = transport.currentScene();
  const char* sceneName = scene >= 0 ? transport.scenes()[scene].name.c_str() : "(no scene)";
  ImGui::Text("%.3f s   frame %ld   %s", transport.time(), transport.frame(), sceneName);
  drawMusicPosition(transport);
  ImGui::Text("%s%s%s", transport.playing() ? "playing" : "paused", model.muted ? "   muted" : "",
              transport.looping() ? "   loop" : "");
  if (transport.looping()) {
    ImGui::SameLine();
    ImGui::Text("%.3f-%.3f s", transport.loopStart(), transport.loopEnd());
    const int first = transport.grid().barStartingAt(transport.loopStart());
    const int after = transport.grid().barStartingAt(transport.loopEnd());
    if (first > 0 && after > 0) {
      ImGui::SameLine();
      ImGui::Text("= bars %d-%d", first, after - 1);
    }
  }
  ImGui::SameLine();
  ImGui::TextDisabled("   B loops %d bar%s", model.barLoopLength, model.barLoopLength == 1 ? "" : "s");
  // Frame times, oldest on the left; the line is the 60 fps budget. The scale
  // grows with the slowest frame shown, so a slow renderer's graph is not flat.
  const std::vector<float>& ms = *model.frameMs;
  float top = kGraphTopMs;
  for (float sample : ms) top = std::max(top, sample * 1.1f);
  const float graphWidth = 300.0f;
  float last = ms.empty() ? 0.0f : ms.back();
  char caption[48];
  std::snprintf(caption, sizeof caption, "%.1f ms", last);
  const ImVec2 topLeft = ImGui::GetCursorScreenPos();
  ImGui::PlotLines("##frames", ms.data(), static_cast<int>(ms.size()), 0, caption, 0.0f, top,
                   ImVec2(graphWidth, kGraphHeight));
  const float frameY = topLeft.y + kGraphHeight * (1.0f - kFrameBudgetMs / top);
  ImGui::GetWindowDrawList()->AddLine(ImVec2(topLeft.x, frameY), ImVec2(topLeft.x + graphWidth, frameY),
                                      IM_COL32(230, 80, 60, 200));
  if (!model.status.empty()) ImGui::TextUnformatted(model.status.c_str());
  remember();
  ImGui::End();
}

// "bar 33   beat 2.50   greetings   122.8 BPM": where the clock is in the
// music. The beat's fraction is cut, not rounded, so that it reads 1.00 only
// from the beat's own instant on.
void Overlay::drawMusicPosition(const Transport& transport) {
  const lb_music::MusicGrid& grid = transport.grid();
  const lb_music::GridPosition at = transport.position();
  if (grid.barCount() == 0) return;
  if (at.bar > grid.barCount()) {
    ImGui::Text("after bar %d: the music has ended", grid.barCount());
    return;
  }
  const lb_music::Section& section = grid.sections()[at.section];
  const double beat = at.beat + std::floor(at.fraction * 100.0) / 100.0;
  ImGui::Text("bar %d   beat %.2f   %s   %.1f BPM", at.bar, beat, section.name.c_str(), section.bpm());
}

bool Overlay::drawTimeline(const Transport& transport, double* seekTo) {
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float width = std::max(100.0f, display.x - 2 * kMargin);
  ImGui::SetNextWindowPos(ImVec2(kMargin, display.y - kMargin), ImGuiCond_Always, ImVec2(0.0f, 1.0f));
  ImGui::SetNextWindowSize(ImVec2(width, 0.0f));
  ImGui::SetNextWindowBgAlpha(0.75f);
  ImGui::Begin("##timeline", nullptr, kPanel | ImGuiWindowFlags_AlwaysAutoResize);
  const float barWidth = ImGui::GetContentRegionAvail().x;
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  ImGui::InvisibleButton("##scrub", ImVec2(barWidth, kTimelineHeight));
  const bool scrubbing = ImGui::IsItemActive();
  ImDrawList* draw = ImGui::GetWindowDrawList();
  auto xOf = [&](double t) { return origin.x + static_cast<float>(t / Transport::kShowEnd) * barWidth; };
  const float bottom = origin.y + kTimelineHeight;

  const std::vector<SceneSpan>& scenes = transport.scenes();
  for (size_t i = 0; i < scenes.size(); ++i) {
    const float x0 = xOf(scenes[i].start);
    const float x1 = xOf(scenes[i].end);
    draw->AddRectFilled(ImVec2(x0, origin.y), ImVec2(x1, bottom), sceneColour(i));
    // Names alternate between two rows so that short scenes still get theirs.
    const float y = origin.y + 4 + (i % 2) * 18.0f;
    draw->PushClipRect(ImVec2(x0, origin.y), ImVec2(x1, bottom), true);
    draw->AddText(ImVec2(x0 + 3, y), IM_COL32(240, 240, 240, 255), scenes[i].name.c_str());
    draw->PopClipRect();
    draw->AddLine(ImVec2(x0, origin.y), ImVec2(x0, bottom), IM_COL32(255, 255, 255, 160));
  }
  drawBarLines(transport, draw, origin, barWidth, bottom);
  if (transport.looping()) {
    draw->AddRectFilled(ImVec2(xOf(transport.loopStart()), bottom - 6), ImVec2(xOf(transport.loopEnd()), bottom),
                        IM_COL32(250, 210, 60, 220));
  }
  const float head = xOf(transport.time());
  draw->AddLine(ImVec2(head, origin.y - 2), ImVec2(head, bottom + 2), IM_COL32(255, 60, 60, 255), 2.0f);

  // Cut times under the bar, on two alternating rows so that close cuts stay
  // legible, with the bar each cut starts where there is room for it.
  ImGui::Dummy(ImVec2(barWidth, 28.0f));
  for (size_t i = 1; i < scenes.size(); ++i) {
    char label[32];
    const int bar = transport.grid().barStartingAt(scenes[i].start);
    if (bar > 0 && barWidth >= kBarLabelsFrom) {
      std::snprintf(label, sizeof label, "%.3f b%d", scenes[i].start, bar);
    } else {
      std::snprintf(label, sizeof label, "%.3f", scenes[i].start);
    }
    const float labelWidth = ImGui::CalcTextSize(label).x;
    const float x = std::min(xOf(scenes[i].start) - labelWidth / 2, origin.x + barWidth - labelWidth);
    draw->AddText(ImVec2(std::max(x, origin.x), bottom + 2.0f + (i % 2) * 13.0f), IM_COL32(200, 200, 200, 255), label);
  }
  remember();
  ImGui::End();

  if (!scrubbing) return false;
  const float mouse = ImGui::GetIO().MousePos.x;
  *seekTo = std::min(std::max((mouse - origin.x) / barWidth, 0.0f), 1.0f) * Transport::kShowEnd;
  return true;
}

// The music's bars as ticks along the bottom of the scene bar, and the starts
// of the score's sections that are not also cuts as full-height lines.
void Overlay::drawBarLines(const Transport& transport, ImDrawList* draw, const ImVec2& topLeft, float width,
                           float bottom) {
  auto xOf = [&](double t) { return topLeft.x + static_cast<float>(t / Transport::kShowEnd) * width; };
  const lb_music::MusicGrid& grid = transport.grid();
  const std::vector<SceneSpan>& scenes = transport.scenes();
  for (int bar = 2; bar <= grid.barCount(); ++bar) {
    const float x = xOf(grid.barStart(bar));
    draw->AddLine(ImVec2(x, bottom - kBarTick), ImVec2(x, bottom), IM_COL32(255, 255, 255, 110));
  }
  for (const lb_music::Section& section : grid.sections()) {
    const bool cut = std::any_of(scenes.begin(), scenes.end(), [&](const SceneSpan& s) { return s.start == section.start; });
    if (section.start <= 0.0 || cut) continue;
    const float x = xOf(section.start);
    draw->AddLine(ImVec2(x, topLeft.y), ImVec2(x, bottom), IM_COL32(250, 210, 60, 200));
  }
}

void Overlay::drawBuildLog(const OverlayModel& model) {
  if (model.buildLog.empty()) return;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float width = std::min(560.0f, display.x * 0.45f);
  ImGui::SetNextWindowPos(ImVec2(display.x - kMargin, kMargin), ImGuiCond_Always, ImVec2(1.0f, 0.0f));
  ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0.0f), ImVec2(width, display.y * 0.4f));
  ImGui::SetNextWindowBgAlpha(0.8f);
  ImGui::Begin("##buildlog", nullptr, (kPanel & ~ImGuiWindowFlags_NoScrollbar) | ImGuiWindowFlags_AlwaysAutoResize);
  ImGui::PushTextWrapPos(0.0f);
  ImGui::TextUnformatted(model.buildLog.c_str());
  ImGui::PopTextWrapPos();
  remember();
  ImGui::End();
}

}  // namespace lb_dev

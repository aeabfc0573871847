// The director's overlay: what drawing it costs per frame at 1280x720 on top of
// a scene, CPU time of the drawing thread and wall time to a finished frame
// (glFinish), so the player's frame-time graph can be read with it in mind.

#include "FrameRenderer.h"
#include "Gl.h"
#include "GlState.h"
#include "MyDemo.h"
#include "Overlay.h"
#include "SceneTable.h"
#include "Transport.h"
#include "bench.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace lb_bench {

int runOverlay(int frames) {
  const int width = 1280, height = 720;
  SDL_Window* window = openWindow(width, height);
  if (window == nullptr) return 1;
  MyDemo demo(width, height);
  demo.init();
  lb_dev::Overlay overlay;
  std::string error;
  if (!overlay.init(window, SDL_GL_GetCurrentContext(), &error)) {
    std::fprintf(stderr, "lb_bench: %s\n", error.c_str());
    return 1;
  }
  lb_dev::Transport transport(lb_dev::sceneSpans(demo));
  std::vector<float> frameMs(300, 16.0f);  // a full graph, as after five seconds of playing
  lb_dev::OverlayModel model;
  model.transport = &transport;
  model.frameMs = &frameMs;
  model.buildLog = "\"default\": rebuilt from data/default.frag and data/mesh.vert";
  model.status = "reload: 1 program(s) rebuilt";

  // The overlay over Sinkhole at 50 s, the scene under it drawn but not timed.
  std::vector<double> scene, wall, cpu, process, guardOnly;
  double seek = 0.0;
  for (int k = -5; k < frames; ++k) {  // five warm-up frames (ImGui lays out, fonts upload)
    transport.seek(50.0 + k / 60.0, 0.0);
    const double s0 = nowSeconds();
    lb_render::showFrame(&demo, transport.time());
    glFinish();
    const double s1 = nowSeconds();
    const double w0 = nowSeconds();
    const double p0 = nowSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double c0 = nowSeconds(CLOCK_THREAD_CPUTIME_ID);
    overlay.draw(model, &seek);
    const double c1 = nowSeconds(CLOCK_THREAD_CPUTIME_ID);
    glFinish();
    const double w1 = nowSeconds();
    const double p1 = nowSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double g0 = nowSeconds();
    { lb_dev::GlStateGuard guard; }
    const double g1 = nowSeconds();
    SDL_GL_SwapWindow(window);
    if (k < 0) continue;
    scene.push_back((s1 - s0) * 1e3);
    wall.push_back((w1 - w0) * 1e3);
    cpu.push_back((c1 - c0) * 1e3);
    process.push_back((p1 - p0) * 1e3);
    guardOnly.push_back((g1 - g0) * 1e3);
  }
  std::printf("# overlay %dx%d over Sinkhole, %d frames\nmeasure\tmedian_ms\tp95_ms\n", width, height, frames);
  std::printf("scene alone, wall, for scale\t%.3f\t%.3f\n", percentile(scene, 50), percentile(scene, 95));
  std::printf("wall (draw + glFinish)\t%.3f\t%.3f\n", percentile(wall, 50), percentile(wall, 95));
  std::printf("thread cpu (draw)\t%.3f\t%.3f\n", percentile(cpu, 50), percentile(cpu, 95));
  std::printf("process cpu (all threads)\t%.3f\t%.3f\n", percentile(process, 50), percentile(process, 95));
  std::printf("gl state save+restore alone\t%.3f\t%.3f\n", percentile(guardOnly, 50), percentile(guardOnly, 95));
  SDL_Quit();
  return 0;
}

}  // namespace lb_bench

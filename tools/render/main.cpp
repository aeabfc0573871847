// lattice-bloom-render: builds the show exactly as it plays (same scenes, same
// start-up order) in a hidden window and writes chosen clock values to PNG, a
// regular sequence of them to PNG files or (through ffmpeg) a video with the
// music, or a contact sheet of the ten scenes.

#include "ContactSheet.h"
#include "DataSet.h"
#include "DataSetLocator.h"
#include "FrameRenderer.h"
#include "GlCheck.h"
#include "HeadlessContext.h"
#include "MyDemo.h"
#include "PngWriter.h"
#include "Progress.h"
#include "RenderOptions.h"
#include "VideoEncoder.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "lattice-bloom-render";
const char* const kMusicPath = "data/music.mp3";

int fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return 1;
}

std::string workingDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return ".";
  return buffer;
}

std::string absolute(const std::string& path, const std::string& cwd) {
  return !path.empty() && path[0] == '/' ? path : cwd + "/" + path;
}

// Wall seconds spent in each stage of a run, summed over the frames.
struct StageClock {
  double render = 0;    // submitting frames: the scenes' draws, the driver's rasterising
  double readBack = 0;  // waiting for a frame's pixels and turning them top-first RGB
  double drain = 0;     // after the last frame: ffmpeg finishing what it was given
  std::chrono::steady_clock::time_point began;
  void start() { began = std::chrono::steady_clock::now(); }
  void stop(double* total) { *total += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(); }
};

}  // namespace

int main(int argc, char** argv) {
  lb_render::RenderOptions options;
  std::string error;
  if (!lb_render::parseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), lb_render::usage().c_str());
    return 2;
  }
  if (options.help) {
    std::printf("%s", lb_render::usage().c_str());
    return 0;
  }
  const bool stills = !options.times.empty();
  const bool sequence = options.fps > 0;
  const bool sheet = !options.contactSheet.empty();

  // Everything that can be refused is refused before the data set is loaded.
  lb_render::VideoSettings video;
  if (!options.video.empty()) {
    if (options.width % 2 != 0 || options.height % 2 != 0)
      return fail("--video needs an even width and height (H.264 in 4:2:0 halves both for colour), not " +
                  std::to_string(options.width) + "x" + std::to_string(options.height));
    if (!options.preset.empty() && !lb_render::isX264Preset(options.preset))
      return fail("--preset needs one of x264's presets (ultrafast, superfast, veryfast, faster, fast, medium, "
                  "slow, slower, veryslow), not '" + options.preset + "'");
    video.ffmpeg = lb_render::findProgram("ffmpeg");
    if (video.ffmpeg.empty())
      return fail("--video needs the ffmpeg program, which is not on PATH (scripts/setup.sh installs it)");
  }

  // Frame times and output paths are fixed before the data set is located,
  // which may change the working directory.
  const std::string cwd = workingDirectory();
  std::vector<double> times;
  if (stills) times = options.times;
  if (sequence) {
    const size_t count = lb_render::sequenceFrameCount(options.from, options.to, options.fps);
    times.reserve(count);
    for (size_t k = 0; k < count; ++k) times.push_back(lb_render::sequenceTime(options.from, options.fps, k));
  }
  std::vector<std::string> paths;
  if (!options.out.empty() &&
      !lb_render::outputPaths(options.out, times.size(), cwd, &paths, &error,
                              sequence ? lb_render::FolderNaming::kSequence : lb_render::FolderNaming::kStills))
    return fail(error);
  const std::string sheetPath = sheet ? absolute(options.contactSheet, cwd) : "";
  if (!options.video.empty()) {
    video.output = absolute(options.video, cwd);
    video.width = options.width;
    video.height = options.height;
    video.fps = options.fps;
    video.from = options.from;
    video.to = options.to;
    if (!options.preset.empty()) video.preset = options.preset;
  }

  if (!lb_engine::locateDataSet(&error)) return fail(error);
  const std::vector<std::string> missingKeys = lb_render::missingCatalogueKeys("data/config.txt");
  for (const std::string& key : missingKeys)
    std::fprintf(stderr, "%s: data/config.txt has no \"%s\" entry, which the scenes look up\n", kProgram,
                 key.c_str());
  for (const std::string& file : lb_render::missingFixedFiles())
    std::fprintf(stderr, "%s: warning: %s is missing; the scenes that load it draw nothing of it\n", kProgram,
                 file.c_str());
  if (!options.video.empty()) {
    if (access(kMusicPath, R_OK) != 0)
      return fail(std::string("--video muxes in the music, but ") + kMusicPath + " cannot be read in " +
                  workingDirectory());
    video.music = workingDirectory() + "/" + kMusicPath;
  }

  lb_render::HeadlessContext context;
  if (!context.create(options.width, options.height, &error, options.checkGl)) return fail(error);
  lb_render::GlErrorCheck glCheck;
  if (!glCheck.start(options.checkGl))
    std::fprintf(stderr, "%s: the driver offers no KHR_debug output; checking glGetError after each frame only\n",
                 kProgram);

  // Constructed and initialised exactly as the show's entry point does it, so
  // every scene draws the same random numbers in the same order.
  MyDemo* demo = new MyDemo(options.width, options.height);
  try {
    demo->init();
  } catch (const std::exception& e) {
    return fail(std::string("loading the data set failed (") + e.what() + ")" +
                (missingKeys.empty() ? "" : ": data/config.txt lacks entries listed above"));
  }
  if (!glCheck.check("loading the data set", &error)) {
    if (options.checkGl) return fail(error);
    // Not a frame's fault: reported, and cleared so that it is not blamed on the first frame.
    std::fprintf(stderr, "%s: warning: %s\n", kProgram, error.c_str());
  }

  std::vector<lb_render::SheetEntry> entries;
  std::unique_ptr<lb_render::ContactSheet> contactSheet;
  lb_render::LabelFont font;
  if (sheet) {
    entries = lb_render::contactSheetEntries(*demo);
    for (const lb_render::SheetEntry& entry : entries) times.push_back(entry.t);
    const lb_render::SheetLayout layout = lb_render::contactSheetLayout(options.width, options.height, entries.size());
    if (!font.load(lb_render::defaultLabelFont(), layout.fontPixels, &error)) return fail(error);
    contactSheet.reset(new lb_render::ContactSheet(layout));
  }

  lb_render::VideoEncoder encoder;
  if (!options.video.empty() && !encoder.start(video, &error)) return fail(error);

  // Frame i is drawn while frame i - 1 is still being read back; each frame is
  // handed on (PNG, video, sheet) once its pixels are in.
  lb_render::FrameRenderer renderer(demo, options.width, options.height);
  lb_render::Image image;
  std::unique_ptr<lb_render::Progress> progress;
  if (times.size() > 1) progress.reset(new lb_render::Progress(times.size(), stderr, isatty(STDERR_FILENO) == 1));
  StageClock clock;
  size_t done = 0;  // frames handed on so far
  auto handOn = [&]() -> bool {
    const size_t i = done++;
    clock.start();
    renderer.collect(&image);
    clock.stop(&clock.readBack);
    if (!paths.empty() && !lb_render::writePng(paths[i], image, &error)) return false;
    if (stills) {
      if (progress) progress->clear();
      std::printf("%s: t = %.3f s -> %s\n", kProgram, times[i], paths[i].c_str());
      std::fflush(stdout);
    }
    if (!options.video.empty() && !encoder.write(image, &error)) {
      std::string status;
      encoder.finish(&status);
      error += status.empty() ? "" : ": " + status;
      return false;
    }
    if (contactSheet) contactSheet->place(i, image, lb_render::sheetLabel(i, entries[i]), &font);
    if (progress) progress->update(i + 1);
    return true;
  };
  for (size_t i = 0; i < times.size(); ++i) {
    if (renderer.pending() == lb_render::FrameRenderer::kMaxInFlight && !handOn()) return fail(error);
    clock.start();
    renderer.submit(times[i]);
    clock.stop(&clock.render);
    if (!glCheck.check("rendering " + lb_render::describeFrame(times[i]) + " (frame " + std::to_string(i) + ")",
                       &error))
      return fail(error);
  }
  while (renderer.pending() > 0)
    if (!handOn()) return fail(error);
  if (progress) progress->finish(std::string(kProgram) + ": ");

  if (!options.video.empty()) {
    clock.start();
    if (!encoder.finish(&error)) return fail(error);
    clock.stop(&clock.drain);
    std::printf("%s: %zu frames at %d fps from %.3f s to %.3f s -> %s\n", kProgram, times.size(), options.fps,
                options.from, options.to, video.output.c_str());
    // Where the time went: drawing (the scenes and the driver's rasteriser),
    // waiting for and converting the read-back, and waiting for ffmpeg.
    std::printf("%s: %.1f s drawing, %.1f s reading back, %.1f s waiting for ffmpeg (%.1f s at the end); "
                "ffmpeg used %.1f s of CPU (x264 %s)\n",
                kProgram, clock.render, clock.readBack, encoder.waitSeconds() + clock.drain, clock.drain,
                encoder.encoderCpuSeconds(), video.preset.c_str());
  }
  if (sequence && !paths.empty())
    std::printf("%s: %zu frames -> %s ... %s\n", kProgram, paths.size(), paths.front().c_str(),
                paths.back().c_str());
  if (contactSheet) {
    if (!lb_render::writePng(sheetPath, contactSheet->image(), &error)) return fail(error);
    std::printf("%s: contact sheet of %zu scenes -> %s\n", kProgram, entries.size(), sheetPath.c_str());
  }
  return 0;
}

// lattice-bloom-render: builds the show exactly as it plays (same scenes, same
// start-up order) in a hidden window and writes chosen clock values to PNG, a
// regular sequence of them to PNG files or (through ffmpeg) a video with the
// music, or a contact sheet of the ten scenes.

#include "ContactSheet.h"
#include "DataSetContract.h"
#include "DataSetLocator.h"
#include "FrameRenderer.h"
#include "GlCheck.h"
#include "HeadlessContext.h"
#include "MyDemo.h"
#include "OutputFile.h"
#include "PngQueue.h"
#include "PngWriter.h"
#include "Progress.h"
#include "RenderOptions.h"
#include "VideoEncoder.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "lattice-bloom-render";

// Everything one run decides and holds, from the command line to the last frame.
struct Run {
  lb_render::RenderOptions options;
  std::vector<double> times;        // clock value of every frame, in rendering order
  std::vector<std::string> paths;   // one PNG per frame, or none
  std::string sheetPath;            // absolute, or "" without --contact-sheet
  lb_render::VideoSettings video;   // used with --video only; its output is videoFile's temporary
  std::unique_ptr<lb_engine::OutputFile> videoFile;  // with --video: renamed over the target once ffmpeg succeeds
  size_t missingEntries = 0;        // catalogue entries the scenes need and the data set lacks

  bool stills() const { return !options.times.empty(); }
  bool sequence() const { return options.fps > 0; }
  bool sheet() const { return !options.contactSheet.empty(); }
  bool encodes() const { return !options.video.empty(); }
};

// Wall seconds spent in each stage of a run, summed over the frames.
struct StageClock {
  double render = 0;    // submitting frames: the scenes' draws, the driver's rasterising
  double readBack = 0;  // waiting for a frame's pixels and turning them top-first RGB
  double drain = 0;     // after the last frame: ffmpeg finishing what it was given
  std::chrono::steady_clock::time_point began;
  void start() { began = std::chrono::steady_clock::now(); }
  void stop(double* total) { *total += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(); }
};

int fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return 1;
}

void warn(const std::string& message) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str()); }

// Refuses what can be refused before anything is loaded: a video that H.264
// cannot hold or that no ffmpeg can make.
bool checkVideoRequest(Run* run, std::string* error) {
  if (!run->encodes()) return true;
  const lb_render::RenderOptions& o = run->options;
  if (o.width % 2 != 0 || o.height % 2 != 0) {
    *error = "--video needs an even width and height (H.264 in 4:2:0 halves both for colour), not " +
             std::to_string(o.width) + "x" + std::to_string(o.height);
    return false;
  }
  if (!o.preset.empty() && !lb_render::isX264Preset(o.preset)) {
    *error = "--preset needs one of x264's presets (ultrafast, superfast, veryfast, faster, fast, medium, "
             "slow, slower, veryslow), not '" + o.preset + "'";
    return false;
  }
  run->video.ffmpeg = lb_render::findProgram("ffmpeg");
  if (run->video.ffmpeg.empty()) {
    *error = "--video needs the ffmpeg program, which is not on PATH (scripts/setup.sh installs it on Debian; "
             "on Windows, put the folder holding ffmpeg.exe on PATH)";
    return false;
  }
  return true;
}

// Frame times and output paths, fixed against the working directory the user
// gave them in, before locating the data set may change it.
bool planFrames(Run* run, std::string* error) {
  const lb_render::RenderOptions& o = run->options;
  const std::string cwd = lb_engine::workingFolder();
  if (run->stills()) run->times = o.times;
  if (run->sequence()) {
    const size_t count = lb_render::sequenceFrameCount(o.from, o.to, o.fps);
    run->times.reserve(count);
    for (size_t k = 0; k < count; ++k) run->times.push_back(lb_render::sequenceTime(o.from, o.fps, k));
  }
  const auto naming = run->sequence() ? lb_render::FolderNaming::kSequence : lb_render::FolderNaming::kStills;
  if (!o.out.empty() && !lb_render::outputPaths(o.out, run->times.size(), cwd, &run->paths, error, naming))
    return false;
  if (run->sheet()) run->sheetPath = lb_engine::outputPathFrom(o.contactSheet, cwd);
  if (run->encodes()) {
    // ffmpeg writes a temporary beside the target, so that a failed or
    // interrupted export never leaves a broken file in place of a good one.
    run->videoFile.reset(new lb_engine::OutputFile(lb_engine::outputPathFrom(o.video, cwd)));
    run->video.output = run->videoFile->temporary();
    run->video.width = o.width;
    run->video.height = o.height;
    run->video.fps = o.fps;
    run->video.from = o.from;
    run->video.to = o.to;
    if (!o.preset.empty()) run->video.preset = o.preset;
  }
  return true;
}

// Finds the data set and says what it lacks of what the scenes need: a missing
// catalogue entry would end the run inside the catalogue, a missing mesh only
// leaves it undrawn.
bool checkDataSet(Run* run, std::string* error) {
  if (!lb_engine::locateDataSet(error)) return false;
  const std::vector<std::string> missing = lb_dataset::missingCatalogueEntries(lb_engine::kCataloguePath);
  for (const std::string& entry : missing)
    std::fprintf(stderr, "%s: %s has no \"%s\" entry, which the scenes look up\n", kProgram,
                 lb_engine::kCataloguePath, entry.c_str());
  run->missingEntries = missing.size();
  for (const std::string& file : lb_dataset::missingFixedFiles())
    warn(file + " is missing; the scenes that load it draw nothing of it");
  if (!run->encodes()) return true;
  if (access(lb_dataset::kMusicPath, R_OK) != 0) {
    *error = std::string("--video muxes in the music, but ") + lb_dataset::kMusicPath + " cannot be read in " +
             lb_engine::workingFolder();
    return false;
  }
  run->video.music = lb_engine::workingFolder() + "/" + lb_dataset::kMusicPath;
  return true;
}

// Constructed and initialised exactly as the show's entry point does it, so
// every scene draws the same random numbers in the same order.
MyDemo* loadShow(const Run& run, lb_render::GlErrorCheck* glCheck, std::string* error) {
  MyDemo* demo = new MyDemo(run.options.width, run.options.height);
  try {
    demo->init();
  } catch (const std::exception& e) {
    *error = std::string("loading the data set failed (") + e.what() + ")" +
             (run.missingEntries == 0 ? "" : std::string(": ") + lb_engine::kCataloguePath + " lacks entries listed above");
    return nullptr;
  }
  if (!glCheck->check("loading the data set", error)) {
    if (run.options.checkGl) return nullptr;
    // Not a frame's fault: reported, and cleared so that it is not blamed on the first frame.
    warn(*error);
  }
  return demo;
}

// Where the frames go besides the PNG files: the contact sheet's grid and the video.
struct Outputs {
  std::vector<lb_render::SheetEntry> entries;  // the contact sheet's scenes
  std::unique_ptr<lb_render::ContactSheet> sheet;
  lb_render::LabelFont font;
  lb_render::VideoEncoder encoder;
  std::unique_ptr<lb_render::PngQueue> pngs;  // a sequence's PNG files, compressed while drawing goes on
  StageClock clock;  // where the run's time went
  bool videoDone = false;   // the video replaced its target
  bool sheetTried = false;  // writing the contact sheet began (it then reports its own failure)
};

// Adds the contact sheet's frames (one per scene) to the run and starts ffmpeg.
bool openOutputs(Run* run, const MyDemo& demo, Outputs* outputs, std::string* error) {
  if (run->sheet()) {
    outputs->entries = lb_render::contactSheetEntries(demo);
    for (const lb_render::SheetEntry& entry : outputs->entries) run->times.push_back(entry.t);
    const lb_render::SheetLayout layout =
        lb_render::contactSheetLayout(run->options.width, run->options.height, outputs->entries.size());
    if (!outputs->font.load(lb_render::defaultLabelFont(), layout.fontPixels, error)) return false;
    outputs->sheet.reset(new lb_render::ContactSheet(layout));
  }
  if (run->sequence() && !run->paths.empty()) outputs->pngs.reset(new lb_render::PngQueue());
  return !run->encodes() || outputs->encoder.start(run->video, error);
}

// Hands frame i to every output that takes it.
bool writeFrame(const Run& run, size_t i, const lb_render::Image& image, Outputs* outputs, std::string* error) {
  if (outputs->pngs) {
    if (!outputs->pngs->write(run.paths[i], image, error)) return false;
  } else if (!run.paths.empty() && !lb_render::writePng(run.paths[i], image, error)) {
    return false;
  }
  if (run.encodes() && !outputs->encoder.write(image, error)) {
    std::string status;
    outputs->encoder.finish(&status);
    if (!status.empty()) *error += ": " + status;
    return false;
  }
  if (outputs->sheet) outputs->sheet->place(i, image, lb_render::sheetLabel(i, outputs->entries[i]), &outputs->font);
  return true;
}

// Frame i is drawn while frame i - 1 is still being read back; each frame is
// handed on (PNG, video, sheet) once its pixels are in.
bool renderFrames(const Run& run, MyDemo* demo, lb_render::GlErrorCheck* glCheck, Outputs* outputs,
                  std::string* error) {
  lb_render::FrameRenderer renderer(demo, run.options.width, run.options.height);
  lb_render::Image image;
  std::unique_ptr<lb_render::Progress> progress;
  if (run.times.size() > 1)
    progress.reset(new lb_render::Progress(run.times.size(), stderr, isatty(STDERR_FILENO) == 1));
  StageClock& clock = outputs->clock;
  size_t done = 0;  // frames handed on so far
  auto handOn = [&]() -> bool {
    const size_t i = done++;
    clock.start();
    renderer.collect(&image);
    clock.stop(&clock.readBack);
    if (!writeFrame(run, i, image, outputs, error)) return false;
    if (run.stills()) {
      if (progress) progress->clear();
      std::printf("%s: t = %.3f s -> %s\n", kProgram, run.times[i], run.paths[i].c_str());
      std::fflush(stdout);
    }
    if (progress) progress->update(i + 1);
    return true;
  };
  for (size_t i = 0; i < run.times.size(); ++i) {
    if (lb_engine::stopSignal() != 0) {
      *error = lb_engine::describeStopSignal() + " at frame " + std::to_string(done) + " of " +
               std::to_string(run.times.size());
      return false;
    }
    if (renderer.pending() == lb_render::FrameRenderer::kMaxInFlight && !handOn()) return false;
    clock.start();
    renderer.submit(run.times[i]);
    clock.stop(&clock.render);
    const std::string frame = "rendering " + lb_render::describeFrame(run.times[i]) + " (frame " + std::to_string(i) + ")";
    if (!glCheck->check(frame, error)) return false;
  }
  while (renderer.pending() > 0)
    if (!handOn()) return false;
  if (progress) progress->finish(std::string(kProgram) + ": ");
  return true;
}

// Closes the video and writes the contact sheet, with one summary line each.
bool finishOutputs(const Run& run, Outputs* outputs, std::string* error) {
  if (run.encodes()) {
    StageClock& clock = outputs->clock;
    clock.start();
    if (!outputs->encoder.finish(error)) return false;
    clock.stop(&clock.drain);
    if (lb_engine::stopSignal() != 0) {  // ffmpeg may have finished a file cut short
      *error = lb_engine::describeStopSignal() + " while ffmpeg finished the video";
      return false;
    }
    if (!run.videoFile->commit(error)) return false;
    outputs->videoDone = true;
    std::printf("%s: %zu frames at %d fps from %.3f s to %.3f s -> %s\n", kProgram, run.times.size(),
                run.options.fps, run.options.from, run.options.to, run.videoFile->target().c_str());
    // Where the time went: drawing (the scenes and the driver's rasteriser),
    // waiting for and converting the read-back, and waiting for ffmpeg.
    std::printf("%s: %.1f s drawing, %.1f s reading back, %.1f s waiting for ffmpeg (%.1f s at the end); "
                "ffmpeg used %.1f s of CPU (x264 %s)\n",
                kProgram, clock.render, clock.readBack, outputs->encoder.waitSeconds() + clock.drain, clock.drain,
                outputs->encoder.encoderCpuSeconds(), run.video.preset.c_str());
  }
  if (outputs->pngs) {
    StageClock& clock = outputs->clock;
    clock.start();
    double drain = 0;
    if (!outputs->pngs->finish(error)) return false;
    clock.stop(&drain);
    std::printf("%s: %zu frames -> %s ... %s\n", kProgram, run.paths.size(), run.paths.front().c_str(),
                run.paths.back().c_str());
    // Drawing held up by compression, while it ran and after the last frame.
    std::printf("%s: %.1f s drawing, %.1f s reading back, %.1f s waiting for PNG compression (%.1f s at the end)\n",
                kProgram, clock.render, clock.readBack, outputs->pngs->waitSeconds() + drain, drain);
  }
  if (outputs->sheet) {
    if (lb_engine::stopSignal() != 0) {
      *error = lb_engine::describeStopSignal();
      return false;
    }
    outputs->sheetTried = true;
    if (!lb_render::writePng(run.sheetPath, outputs->sheet->image(), error)) return false;
    std::printf("%s: contact sheet of %zu scenes -> %s\n", kProgram, outputs->entries.size(), run.sheetPath.c_str());
  }
  return true;
}

// A run that ends early says what became of the files it would have replaced:
// the video and the contact sheet are written whole or not at all (a PNG that
// fails says so itself; frames before it are complete). An interrupted run
// ends with the shell's status for the signal.
int failRun(const Run& run, Outputs* outputs, const std::string& error) {
  outputs->encoder.abort();  // stops ffmpeg before its temporary goes
  // A Ctrl-C reaches ffmpeg too, which then stops reading: the signal is the cause.
  const bool interrupted = lb_engine::stopSignal() != 0;
  std::string message = interrupted && error.compare(0, 11, "interrupted") != 0
                            ? lb_engine::describeStopSignal() + " (" + error + ")"
                            : error;
  if (run.videoFile && !outputs->videoDone) message += "; " + run.videoFile->unchangedNote();
  if (run.sheet() && !outputs->sheetTried) message += "; " + lb_engine::OutputFile(run.sheetPath).unchangedNote();
  fail(message);
  return interrupted ? 128 + lb_engine::stopSignal() : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything starts (SDL installs handlers of its own where none is set).
  lb_engine::catchStopSignals();
  Run run;
  std::string error;
  if (!lb_render::parseOptions(argc, argv, &run.options, &error)) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), lb_render::usage().c_str());
    return 2;
  }
  if (run.options.help) {
    std::printf("%s", lb_render::usage().c_str());
    return 0;
  }
  if (!checkVideoRequest(&run, &error) || !planFrames(&run, &error) || !checkDataSet(&run, &error))
    return fail(error);

  lb_render::HeadlessContext context;
  if (!context.create(run.options.width, run.options.height, &error, run.options.checkGl)) return fail(error);
  lb_render::GlErrorCheck glCheck;
  if (!glCheck.start(run.options.checkGl))
    std::fprintf(stderr, "%s: the driver offers no KHR_debug output; checking glGetError after each frame only\n",
                 kProgram);
  MyDemo* demo = loadShow(run, &glCheck, &error);
  if (demo == nullptr) return fail(error);

  Outputs outputs;
  if (!openOutputs(&run, *demo, &outputs, &error) || !renderFrames(run, demo, &glCheck, &outputs, &error) ||
      !finishOutputs(run, &outputs, &error))
    return failRun(run, &outputs, error);
  return 0;
}

// lb_bench: prints benchmark figures as tab-separated lines "# section" headers
// followed by rows, which scripts/bench.sh turns into a table and a plot.

#include "CommandLine.h"
#include "DataSetLocator.h"
#include "bench.h"
#include "bench_units.h"

#include <sys/resource.h>

#include <cstdio>
#include <functional>

namespace lb_bench {

long peakRssKiB() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

bool parseSize(const std::string& text, int* width, int* height) {
  char rest = 0;
  return std::sscanf(text.c_str(), "%dx%d%c", width, height, &rest) == 2 && *width > 0 && *height > 0;
}

}  // namespace lb_bench

namespace {

using namespace lb_bench;

const char* const kSynopsis =
    "usage: lb_bench obj [--reps N] FILE... | obj-one LOADER FILE REPS | make-obj PATH MB\n"
    "       lb_bench images [--reps N] FILE...\n"
    "       lb_bench frames [--size WxH] [--frames N] [--scene NAME] | startup | startup-split\n"
    "       lb_bench timeline [--size WxH] [--step SECONDS]\n"
    "       lb_bench post [--passes N] [--size WxH] | overlay [--frames N]\n";

// Every sub-command's values; the one chosen runs with them.
struct BenchOptions {
  bool help = false;
  int reps = 0;  // 0: the sub-command's own default
  std::vector<std::string> files;
  std::string loader, path, size = "1280x720";
  double megabytes = 0;
  FrameOptions frames;
  int passes = 40;
  int overlayFrames = 200;
  double step = 0.1;  // seconds of the show's clock between the timeline's frames
};

// A sub-command that measures the show needs its data set, wherever the
// program is started from.
int withDataSet(const std::function<int()>& run) {
  std::string error;
  if (!lb_engine::locateDataSet(&error)) {
    std::fprintf(stderr, "lb_bench: %s\n", error.c_str());
    return 1;
  }
  return run();
}

// Declares the sub-commands and returns the function that runs the one chosen.
void declareCommands(CLI::App* app, BenchOptions* o, std::function<int()>* run) {
  lb_cli::configure(app, kSynopsis, "", &o->help);
  app->require_subcommand(0, 1);
  auto on = [app, run](const char* name, const char* about, std::function<int()> body) {
    CLI::App* sub = app->add_subcommand(name, about);
    sub->callback([run, body] { *run = body; });
    return sub;
  };
  CLI::App* obj = on("obj", "OBJ reading throughput and peak memory of every loader, each in a child process",
                     [o] { return runObj(o->reps > 0 ? o->reps : 3, o->files); });
  obj->add_option("--reps", o->reps, "repetitions per loader and file (best kept; default 3)")->type_name("N")->check(CLI::Range(1, 1000000));
  obj->add_option("files", o->files, "OBJ files")->required()->type_name("FILE");
  CLI::App* one = on("obj-one", "one loader on one file (the child process of obj)",
                     [o] { return runObjOne(o->loader, o->path, o->reps); });
  one->add_option("loader", o->loader)->required();
  one->add_option("file", o->path)->required();
  one->add_option("reps", o->reps)->required();
  CLI::App* make = on("make-obj", "writes a large deterministic OBJ file",
                      [o] { return runMakeObj(o->path, o->megabytes); });
  make->add_option("path", o->path)->required();
  make->add_option("megabytes", o->megabytes)->required();
  CLI::App* images = on("images", "PNG and JPEG decoding, the engine's against bare libpng and TurboJPEG",
                        [o] { return runImages(o->reps > 0 ? o->reps : 10, o->files); });
  images->add_option("--reps", o->reps, "repetitions per file (best kept; default 10)")->type_name("N")->check(CLI::Range(1, 1000000));
  images->add_option("files", o->files, "image files")->required()->type_name("FILE");
  auto sized = [o](const std::function<int()>& body) {
    return [o, body] {
      if (parseSize(o->size, &o->frames.width, &o->frames.height)) return withDataSet(body);
      std::fprintf(stderr, "lb_bench: --size needs WIDTHxHEIGHT in pixels, not '%s'\n", o->size.c_str());
      return 2;
    };
  };
  CLI::App* frames = on("frames", "frame time of every scene", sized([o] { return runFrames(o->frames); }));
  frames->add_option("--size", o->size, "frame size in pixels (default 1280x720)")->type_name("WxH");
  frames->add_option("--frames", o->frames.count, "frames timed per scene (default 60)")->type_name("N")->check(CLI::Range(1, 1000000));
  frames->add_option("--scene", o->frames.only, "that scene alone (for profiling)")->type_name("NAME");
  CLI::App* timeline = on("timeline", "frame time over the whole show, one frame every --step seconds",
                          sized([o] { return runTimeline(o->frames.width, o->frames.height, o->step); }));
  timeline->add_option("--size", o->size, "frame size in pixels (default 1280x720)")->type_name("WxH");
  timeline->add_option("--step", o->step, "seconds of the clock between frames (default 0.1)")
      ->type_name("SECONDS")->check(CLI::PositiveNumber);
  on("startup", "wall time from main to the first frame", [] { return withDataSet(runStartup); });
  on("startup-split", "loading time by kind of asset", [] { return withDataSet(runStartupSplit); });
  CLI::App* post = on("post", "time of one full-screen pass of each post-processing program",
                      sized([o] { return runPost(o->passes, o->frames.width, o->frames.height); }));
  post->add_option("--passes", o->passes, "passes timed per program (default 40)")->type_name("N")->check(CLI::Range(1, 1000000));
  post->add_option("--size", o->size, "frame size in pixels (default 1280x720)")->type_name("WxH");
  CLI::App* overlay = on("overlay", "cost of the director's overlay over a 1280x720 frame",
                         [o] { return withDataSet([o] { return runOverlay(o->overlayFrames); }); });
  overlay->add_option("--frames", o->overlayFrames, "frames timed (default 200)")->type_name("N")->check(CLI::Range(1, 1000000));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Benchmarks of Lattice Bloom: start-up, frame times, OBJ reading, image decoding.", "lb_bench");
  BenchOptions options;
  std::function<int()> run;
  declareCommands(&app, &options, &run);
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error)) return lb_cli::refuse(app, error);
  if (options.help) {
    std::printf("%s", app.help().c_str());
    return 0;
  }
  if (!run) return lb_cli::refuse(app, "no sub-command given");
  return run();
}

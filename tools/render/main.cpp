// lattice-bloom-render: builds the show exactly as it plays (same scenes, same
// start-up order) in a hidden window and writes chosen clock values to PNG.

#include "DataSet.h"
#include "FrameRenderer.h"
#include "HeadlessContext.h"
#include "MyDemo.h"
#include "PngWriter.h"
#include "RenderOptions.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "lattice-bloom-render";

int fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return 1;
}

std::string workingDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return ".";
  return buffer;
}

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

  // Output paths are fixed before the data set is located, which may change
  // the working directory.
  std::vector<std::string> paths;
  if (!lb_render::outputPaths(options.out, options.times.size(), workingDirectory(), &paths, &error))
    return fail(error);
  if (!lb_render::locateDataSet(&error)) return fail(error);
  const std::vector<std::string> missingKeys = lb_render::missingCatalogueKeys("data/config.txt");
  for (const std::string& key : missingKeys)
    std::fprintf(stderr, "%s: data/config.txt has no \"%s\" entry, which the scenes look up\n", kProgram,
                 key.c_str());
  for (const std::string& file : lb_render::missingFixedFiles())
    std::fprintf(stderr, "%s: warning: %s is missing; the scenes that load it draw nothing of it\n", kProgram,
                 file.c_str());

  lb_render::HeadlessContext context;
  if (!context.create(options.width, options.height, &error)) return fail(error);

  // Constructed and initialised exactly as the show's entry point does it, so
  // every scene draws the same random numbers in the same order.
  MyDemo* demo = new MyDemo(options.width, options.height);
  try {
    demo->init();
  } catch (const std::exception& e) {
    return fail(std::string("loading the data set failed (") + e.what() + ")" +
                (missingKeys.empty() ? "" : ": data/config.txt lacks entries listed above"));
  }

  lb_render::FrameRenderer renderer(demo, options.width, options.height);
  lb_render::Image image;
  for (size_t i = 0; i < options.times.size(); ++i) {
    renderer.render(options.times[i], &image);
    if (!lb_render::writePng(paths[i], image, &error)) return fail(error);
    std::printf("%s: t = %.3f s -> %s\n", kProgram, options.times[i], paths[i].c_str());
  }
  return 0;
}

// lb-icon: writes the show's application icon (PNGs, SVG, ICO) into a folder.

#include "CommandLine.h"
#include "Icon.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  CLI::App app("Writes the show's icon: NAME-SIZE.png for each size, NAME.svg and NAME.ico (the PNGs in one "
               "Windows icon).",
               "lb-icon");
  bool help = false;
  std::string outDir, name = "lattice-bloom";
  std::vector<int> sizes;
  lb_cli::configure(&app, "usage: lb-icon OUTPUT-DIR --size PIXELS... [--name NAME]\n", "", &help);
  app.add_option("output", outDir, "the folder, created if missing")->type_name("OUTPUT-DIR");
  app.add_option("--name", name, "the files' base name (default lattice-bloom)")->type_name("NAME");
  app.add_option("--size", sizes, "a PNG of PIXELS a side, 1 to 256 (repeat for each size)")->type_name("PIXELS");
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error)) return lb_cli::refuse(app, error);
  if (help) {
    std::printf("%s", app.help().c_str());
    return 0;
  }
  if (outDir.empty()) return lb_cli::refuse(app, "OUTPUT-DIR is required");
  if (sizes.empty()) return lb_cli::refuse(app, "at least one --size is required");
  for (int side : sizes)
    if (side < 1 || side > 256) return lb_cli::refuse(app, "--size " + std::to_string(side) + ": 1 to 256 pixels");
  if (!lb_datagen::writeIconSet(outDir, name, sizes, &error)) {
    std::fprintf(stderr, "lb-icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

// lb-datagen: writes the complete data set of the show into a folder.

#include "CommandLine.h"
#include "DataGenerator.h"

#include <cstdio>

int main(int argc, char** argv) {
  CLI::App app("Writes the complete data set of the show (meshes, pictures, shaders, robot, catalogue).",
               "lb-datagen");
  bool help = false;
  std::string contentDir, outDir, font = LB_DATAGEN_FONT;
  lb_cli::configure(&app, "usage: lb-datagen CONTENT-DIR OUTPUT-DIR [FONT.ttf]\n", "", &help);
  app.add_option("content", contentDir, "the hand-written sources (shaders/, robot/, text/)")->type_name("CONTENT-DIR");
  app.add_option("output", outDir, "the data set's folder, created if missing")->type_name("OUTPUT-DIR");
  app.add_option("font", font, "the font of every text in the data set (default DejaVu Sans Bold)")
      ->type_name("FONT.ttf");
  std::string error;
  if (!lb_cli::parse(&app, argc, argv, &error)) return lb_cli::refuse(app, error);
  if (help) {
    std::printf("%s", app.help().c_str());
    return 0;
  }
  if (contentDir.empty() || outDir.empty()) return lb_cli::refuse(app, "CONTENT-DIR and OUTPUT-DIR are required");
  if (!lb_datagen::generateDataSet(contentDir, outDir, font, &error)) {
    std::fprintf(stderr, "lb-datagen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

// lb-datagen: writes the complete data set of the show into a folder.
// Usage: lb-datagen <content-dir> <output-dir> [font.ttf]

#include "DataGenerator.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s <content-dir> <output-dir> [font.ttf]\n", argv[0]);
    return 2;
  }
  const std::string font = argc == 4 ? argv[3] : LB_DATAGEN_FONT;
  std::string error;
  if (!lb_datagen::generateDataSet(argv[1], argv[2], font, &error)) {
    std::fprintf(stderr, "lb-datagen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

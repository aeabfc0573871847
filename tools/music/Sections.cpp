#include "Sections.h"

namespace lb_music {

const std::vector<Section>& sections() {
  // The starts are the scene cuts (and the title card at 126.573 s); the ends
  // are the next section's start.
  static const std::vector<Section> list = {
      {"title", 0.0, 4.817, 10},         {"marching", 4.817, 21.067, 32},
      {"tunnel", 21.067, 33.9, 26},      {"tunnel-lead", 33.9, 42.067, 16},
      {"sinkhole", 42.067, 61.692, 40},  {"greetings", 61.692, 91.017, 60},
      {"cave", 91.017, 98.0, 14},        {"robot-intro", 98.0, 102.476, 9},
      {"running", 102.476, 121.639, 38}, {"finale", 121.639, 126.573, 10},
      {"title-card", 126.573, 128.0, 3}, {"end", 128.0, 130.0, 4},
  };
  return list;
}

}  // namespace lb_music

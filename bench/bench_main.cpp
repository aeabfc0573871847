// lb_bench: prints benchmark figures as tab-separated lines "# section" headers
// followed by rows, which scripts/bench.sh turns into a table and a plot.

#include "bench.h"
#include "bench_units.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace lb_bench {
long peakRssKiB() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
}  // namespace lb_bench

int main(int argc, char** argv) {
  using namespace lb_bench;
  struct Command {
    const char* name;
    int (*run)(int, char**);
  };
  const Command commands[] = {{"obj", runObj},       {"obj-one", runObjOne},   {"make-obj", runMakeObj},
                              {"images", runImages}, {"frames", runFrames},    {"startup", runStartup},
                              {"startup-split", runStartupSplit}, {"timeline", runTimeline}};
  if (argc >= 2) {
    for (const Command& c : commands) {
      if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    }
  }
  std::fprintf(stderr,
               "usage: lb_bench obj [--reps N] FILE... | make-obj PATH MB | images [--reps N] FILE... |\n"
               "       frames --size WxH [--frames N] [--scene NAME] | startup | startup-split |\n"
               "       timeline --size WxH [--step SECONDS]\n");
  return 2;
}

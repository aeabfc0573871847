#pragma once
// Turns the stream of file events an editor's save makes into one settled
// change per save. Editors save in three ways: writing the file in place (one
// or several opens, in chunks), writing a temporary and renaming it over the
// file, or deleting the file and writing it again; each makes several events,
// some while the file is still empty or half written. A path is handed on once
// it has had no event for the quiet interval AND reads whole (the probe: it
// exists and no program holds it open for writing). A path that is quiet but
// never becomes whole (deleted for good, or kept open by its writer) is handed
// on after the give-up interval, so that the reader reports what is wrong. A
// path found held open once it was quiet waits one more quiet interval after
// its writer lets go: the notice of the last write may reach us after the
// close (Wine delivers it late), and would otherwise count as a second save.
//
// Times are seconds on any steady clock; the class reads no clock of its own,
// so tests feed it made-up times.

#include <functional>
#include <string>
#include <vector>

namespace lb_dev {

class SaveDebounce {
 public:
  // 100 ms: longer than the gaps between the writes of one save (editors and
  // scripts write a file in well under that), short enough that a save shows
  // within a few frames.
  static constexpr double kQuietSeconds = 0.1;
  static constexpr double kGiveUpSeconds = 2.0;

  using Probe = std::function<bool(const std::string& path)>;
  explicit SaveDebounce(Probe complete, double quietSeconds = kQuietSeconds, double giveUpSeconds = kGiveUpSeconds);

  // Something happened to `path` at time `now`.
  void note(const std::string& path, double now);
  // The paths that have settled by `now`, each once per settling, in the order
  // of their first event.
  std::vector<std::string> settled(double now);
  // Whether any path waits to settle.
  bool waiting() const { return !pending_.empty(); }

 private:
  struct Pending {
    std::string path;
    double last;  // time of its latest event
    bool held;    // found quiet but not whole: its writer still has it open
  };
  Probe complete_;
  double quiet_, giveUp_;
  std::vector<Pending> pending_;
};

}  // namespace lb_dev

#include "MusicGrid.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace lb_music {

namespace {

// A whole number of at most six digits (no sign, no spaces), or false.
bool readCount(const std::string& text, int* value) {
  if (text.empty() || text.size() > 6) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

const char* const kNotation = "b33 for bar 33, b33.2 for its beat 2";

}  // namespace

MusicGrid::MusicGrid(const std::vector<Section>& sections) : sections_(sections) {
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& section = sections_[s];
    for (int first = 0; first < section.beats; first += kBeatsPerBar) {
      const int beats = std::min(kBeatsPerBar, section.beats - first);
      bars_.push_back({static_cast<int>(s), static_cast<int>(beats_.size()), beats});
      downbeats_.push_back(section.beatTime(first));
      for (int k = first; k < first + beats; ++k) {
        beats_.push_back(section.beatTime(k));
        barOfBeat_.push_back(static_cast<int>(bars_.size()) - 1);
      }
    }
  }
  const double end = sections_.empty() ? 0.0 : sections_.back().end;
  beats_.push_back(end);
  downbeats_.push_back(end);
}

GridPosition MusicGrid::positionAt(double seconds) const {
  GridPosition position;
  if (bars_.empty()) return position;
  const double t = std::max(seconds, 0.0);
  // The last beat at or before t: grid instants find themselves exactly.
  const size_t g = static_cast<size_t>(std::upper_bound(beats_.begin(), beats_.end(), t) - beats_.begin()) - 1;
  if (g + 1 >= beats_.size()) {
    position.section = static_cast<int>(sections_.size()) - 1;
    position.bar = barCount() + 1;
    return position;
  }
  const Bar& bar = bars_[barOfBeat_[g]];
  position.section = bar.section;
  position.bar = barOfBeat_[g] + 1;
  position.beat = static_cast<int>(g) - bar.firstBeat + 1;
  position.fraction = (t - beats_[g]) / (beats_[g + 1] - beats_[g]);
  return position;
}

int MusicGrid::barStartingAt(double seconds) const {
  const auto at = std::lower_bound(downbeats_.begin(), downbeats_.end(), seconds);
  return at != downbeats_.end() && *at == seconds ? static_cast<int>(at - downbeats_.begin()) + 1 : 0;
}

bool MusicGrid::parse(const std::string& text, GridSpan* span, std::string* error) const {
  const std::string quoted = "'" + text + "'";
  if (!isBarNotation(text)) {
    *error = quoted + " is not a bar (" + kNotation + ")";
    return false;
  }
  const size_t dot = text.find('.');
  int bar = 0;
  int beat = 0;  // 0: the whole bar
  if (!readCount(text.substr(1, dot == std::string::npos ? std::string::npos : dot - 1), &bar)) {
    *error = quoted + ": b needs a bar number (" + kNotation + ")";
    return false;
  }
  if (dot != std::string::npos && (!readCount(text.substr(dot + 1), &beat) || beat == 0)) {
    *error = quoted + ": the beat after the dot must be a whole number from 1 (" + kNotation + ")";
    return false;
  }
  const std::string range = "b1 to b" + std::to_string(barCount());
  if (bar < 1 || bar > barCount()) {
    *error = quoted + ": the show has " + std::to_string(barCount()) + " bars, " + range;
    return false;
  }
  if (beat > beatsInBar(bar)) {
    const int beats = beatsInBar(bar);
    *error = quoted + ": bar " + std::to_string(bar) + " has " + std::to_string(beats) + (beats == 1 ? " beat" : " beats");
    return false;
  }
  if (beat == 0) {
    *span = {barStart(bar), barStart(bar + 1)};
  } else {
    *span = {beatTime(bar, beat), beatTime(bar, beat + 1)};
  }
  return true;
}

bool isBarNotation(const std::string& text) { return !text.empty() && (text[0] == 'b' || text[0] == 'B'); }

bool readClock(const std::string& text, GridEdge edge, double* seconds, std::string* error) {
  if (isBarNotation(text)) {
    static const MusicGrid grid;
    GridSpan span;
    if (!grid.parse(text, &span, error)) return false;
    *seconds = edge == GridEdge::kStart ? span.start : span.end;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
  if (text.empty() || errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value)) {
    *error = "needs seconds (such as 61.692) or a bar (" + std::string(kNotation) + "), not '" + text + "'";
    return false;
  }
  *seconds = value;
  return true;
}

}  // namespace lb_music

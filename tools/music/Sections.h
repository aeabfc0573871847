#pragma once
// The score's sections: the tempo map of the show's music. Every program that
// thinks in the music's time (the synthesizer, the offline renderer, the
// director's player) reads this one table. Plain C++, no libraries, so that it
// builds wherever those programs do.
//
// Times are seconds of the demo clock, which starts at the track's first sample.

#include <string>
#include <vector>

namespace lb_music {

// One stretch of constant tempo between two cuts. It holds a whole number of
// beats, so the first beat of the next section falls exactly on the cut.
struct Section {
  std::string name;
  double start;  // seconds
  double end;    // seconds
  int beats;
  double beatSeconds() const { return (end - start) / beats; }
  double bpm() const { return 60.0 / beatSeconds(); }
  double beatTime(double beat) const { return start + beat * beatSeconds(); }
};

// The sections in playing order; they tile [0, 130] without gaps. Each one's
// beat count keeps its local tempo close to 120 BPM.
const std::vector<Section>& sections();

}  // namespace lb_music

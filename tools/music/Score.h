#pragma once
// The composition: the note list played over the tempo map (Sections.h), whose
// section boundaries are the scene cuts of the show. All times are in seconds of the
// demo clock, which starts at the track's first sample.

#include "Sections.h"

#include <string>
#include <vector>

namespace lb_synth {

// Total rendered length: the show ends after 130 s; a little silence follows.
constexpr double kTrackSeconds = 130.5;
// Everything has faded to silence by this time.
constexpr double kSilentFrom = 129.9;

// The tempo map lives in Sections.h, shared with the programs that show the
// music's bars and beats.
using lb_music::Section;
using lb_music::sections;

// The instants where a new section starts with an audible hit (every section
// start except 0): the scene cuts, the title card and the end of the show.
std::vector<double> hitTimes();

enum class Instrument {
  Kick,
  Snare,
  ClosedHat,
  OpenHat,
  Crash,
  Tom,
  Boom,   // sub-bass impact under the big hits
  Riser,  // filtered noise sweep leading into a cut
  Bass,
  Pad,
  Pluck,  // short arpeggio notes
  Lead,
  Stab,   // short bright chord note on a hit
  Clap,   // layered on the back-beat snare in the busiest sections
};

struct Note {
  Instrument instrument;
  double time;      // onset, seconds
  double length;    // seconds until release starts (percussion: until choked)
  double pitch;     // MIDI note number (ignored by unpitched drums)
  double velocity;  // 0..1
  double pan;       // -1 left .. +1 right
  double tone;      // 0..1, how far the filter opens (pitched instruments)
  bool choked;      // cut short before a cut: release fast instead of ringing out
};

// Sidechain depth (0 = none, 1 = full duck) of the section playing at time t.
double duckDepthAt(double t);

// The whole arrangement, sorted by onset.
std::vector<Note> buildScore();

}  // namespace lb_synth

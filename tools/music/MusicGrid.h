#pragma once
// The music's grid of bars and beats over the tempo map (Sections.h), and the
// bar notation that makers type where a program takes a clock value.
//
// Bars have four beats and are counted from 1 at the show's start, across the
// sections. Every section starts a new bar on its first beat (its downbeat, on
// the cut). A section whose beat count is not a multiple of four ends on a
// short bar: the title's 10 beats are bars of 4, 4 and 2 beats, and the next
// bar starts with the next section. Beats are counted from 1 within their bar.
//
// Bar notation: "b33" is bar 33 (its downbeat when a start is asked for, the
// end of its last beat when an end is), "b33.2" is beat 2 of bar 33. Grid
// instants convert exactly both ways: the seconds of b33.2 read back as bar 33,
// beat 2, fraction 0.

#include "Sections.h"

#include <string>
#include <vector>

namespace lb_music {

// Where a clock value lies on the grid.
struct GridPosition {
  int section = 0;        // index into the section table
  int bar = 1;            // 1-based from the show's start; barCount() + 1 at and after the music's end
  int beat = 1;           // 1-based within the bar
  double fraction = 0.0;  // how far into that beat, 0 <= fraction < 1
};

// A stretch of the clock in seconds: [start, end).
struct GridSpan {
  double start = 0.0;
  double end = 0.0;
};

// Which end of a bar or beat a typed time means.
enum class GridEdge { kStart, kEnd };

class MusicGrid {
 public:
  static constexpr int kBeatsPerBar = 4;

  explicit MusicGrid(const std::vector<Section>& sections = lb_music::sections());

  const std::vector<Section>& sections() const { return sections_; }
  int barCount() const { return static_cast<int>(bars_.size()); }
  // Seconds of bar `bar`'s downbeat, 1 <= bar <= barCount() + 1 (the latter is
  // the end of the music).
  double barStart(int bar) const { return downbeats_[bar - 1]; }
  int beatsInBar(int bar) const { return bars_[bar - 1].beats; }
  // Seconds of beat `beat` (1 .. beatsInBar(bar) + 1, the latter being the
  // next bar's downbeat) of bar `bar` (1 .. barCount()).
  double beatTime(int bar, int beat) const { return beats_[bars_[bar - 1].firstBeat + beat - 1]; }

  // The position of clock value `seconds` (before 0 counts as 0).
  GridPosition positionAt(double seconds) const;
  // The bar whose downbeat is exactly `seconds` (barCount() + 1 for the end of
  // the music), or 0 when no bar starts there.
  int barStartingAt(double seconds) const;

  // Every beat's instant in playing order, then the end of the music.
  const std::vector<double>& beatInstants() const { return beats_; }
  // Every bar's downbeat in playing order, then the end of the music.
  const std::vector<double>& downbeats() const { return downbeats_; }

  // Reads the bar notation ("b33", "b33.2") into the span that bar or beat
  // covers. False with the problem in *error (a phrase that starts with the
  // text, to follow an option's name).
  bool parse(const std::string& text, GridSpan* span, std::string* error) const;

 private:
  struct Bar {
    int section;
    int firstBeat;  // index into beats_
    int beats;
  };
  std::vector<Section> sections_;
  std::vector<Bar> bars_;
  std::vector<double> beats_;
  std::vector<double> downbeats_;
  std::vector<int> barOfBeat_;  // 0-based bar of each entry of beats_ but the last
};

// True when `text` is in the bar notation (starts with b or B).
bool isBarNotation(const std::string& text);

// A clock value as a maker types it: seconds ("61.692") or the bar notation
// ("b33", "b33.2"; `edge` picks the start or the end of that bar or beat). False
// with the problem in *error, a phrase to follow the option's name ("--at ...").
bool readClock(const std::string& text, GridEdge edge, double* seconds, std::string* error);

}  // namespace lb_music

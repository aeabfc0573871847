#include "Score.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "Dsp.h"

namespace lb_synth {

namespace {

// How a section plays; the pattern codes are interpreted in writeSection.
struct Style {
  int kick;         // 0 none, 1 beats 1+3, 2 every beat, 3 half-time
  int snare;        // 0 none, 1 beats 2+4, 2 beat 3 (half-time), 3 accelerating roll
  int hats;         // 0 none, 1 eighths, 2 sixteenths, 3 sixteenths with open off-beats
  int bass;         // 0 none, 1 long notes, 2 bouncing eighths, 3 rolling off-beat sixteenths
  bool pad;
  int pluck;        // 0 none, 1 eighths, 2 sixteenths
  bool lead;
  double duck;      // sidechain depth
  double bright;    // 0..1, opens the pad and pluck filters
  double gapBeats;  // silence (apart from reverb) before the next cut, in beats
  int hit;          // at the section start: 0 none, 1 kick+crash, 2 also boom+stab, 3 boom+crash+stab
  double drive;     // 0..1, overall velocity of the section
  bool fill;        // snare fill into the next cut
  std::vector<std::string> chords;  // one per bar, the last may cover a partial bar
};

struct Chord {
  int pitchClass;  // 0 = C
  bool major;
};

const std::map<std::string, Chord>& chordTable() {
  static const std::map<std::string, Chord> table = {
      {"Am", {9, false}}, {"A", {9, true}}, {"F", {5, true}},  {"C", {0, true}},
      {"G", {7, true}},   {"E", {4, true}}, {"Dm", {2, false}}, {"Em", {4, false}},
  };
  return table;
}

// How each section of the tempo map plays (Sections.cpp holds the map), in
// the same order.
struct Part {
  Style style;
  double levelDb;  // applied to every note of the section except the hit on its cut
};

// Positions in the section list, for the touches that only one section has.
enum SectionIndex : size_t {
  kTitle = 0, kMarching, kTunnel, kTunnelLead, kSinkhole, kBreakdown,
  kCave, kRobotIntro, kRunning, kFinale, kTitleCard, kEnd,
};

// Style columns: kick, snare, hats, bass, pad, pluck, lead, duck, bright,
// gapBeats, hit, drive, fill, chords; then the section level in dB. Chords
// are one per bar; the beat counts are in the section table.
const std::vector<Part>& parts() {
  static const std::vector<Part> list = {
      {/* title */ {0, 0, 0, 0, true, 1, false, 0.0, 0.2, 0.25, 0, 0.45, false, {"Am", "Am", "Am"}}, 0.0},
      {/* marching */ {1, 1, 1, 2, true, 1, false, 0.35, 0.45, 0.5, 2, 0.7, false,
        {"Am", "F", "C", "G", "Am", "F", "C", "G"}}, -3.0},
      {/* tunnel */ {2, 1, 3, 3, true, 2, false, 0.55, 0.65, 0.5, 2, 0.85, true,
        {"Am", "F", "C", "G", "Am", "F", "G"}}, -1.0},
      {/* tunnel-lead */ {2, 1, 3, 3, true, 2, true, 0.55, 0.8, 0.5, 1, 0.9, true, {"F", "G", "Am", "E"}}, -0.8},
      {/* sinkhole */ {3, 2, 1, 1, true, 0, false, 0.45, 0.3, 0.5, 2, 0.8, false,
        {"Am", "Am", "Dm", "Dm", "F", "F", "E", "E", "Am", "E"}}, -1.3},
      {/* greetings */ {0, 0, 0, 1, true, 2, true, 0.0, 0.4, 0.5, 3, 0.5, false,
        {"F", "C", "G", "Am", "F", "C", "G", "Am", "F", "C", "G", "Am", "Dm", "F", "E"}}, -4.0},
      {/* cave */ {2, 0, 1, 2, true, 0, false, 0.5, 0.35, 0.25, 2, 0.65, false, {"Am", "Am", "Am", "Am"}}, -3.5},
      {/* robot-intro */ {2, 3, 2, 2, true, 2, false, 0.5, 0.55, 0.25, 1, 0.75, false, {"F", "G", "E"}}, -1.8},
      {/* running */ {2, 1, 3, 3, true, 2, true, 0.6, 0.85, 0.5, 2, 0.95, true,
        {"Am", "F", "C", "G", "Am", "F", "C", "G", "F", "G"}}, -0.5},
      {/* finale */ {2, 1, 3, 3, true, 2, true, 0.6, 1.0, 0.5, 2, 1.0, true, {"Am", "F", "G"}}, 0.0},
      {/* title-card */ {0, 0, 0, 0, true, 0, false, 0.0, 0.6, 0.25, 2, 0.8, false, {"Am"}}, 0.0},
      {/* end */ {0, 0, 0, 0, true, 0, false, 0.0, 0.5, 0.0, 3, 0.8, false, {"A"}}, 0.0},
  };
  if (list.size() != sections().size()) {
    std::fprintf(stderr, "the score has %zu section styles for %zu sections\n", list.size(), sections().size());
    std::abort();
  }
  return list;
}

// One bar motif of the lead per chord, on an eighth-note grid:
// {start eighth, length in eighths, MIDI pitch}.
struct MotifNote {
  int start, length, pitch;
};

const std::vector<MotifNote>& leadMotif(const std::string& chord) {
  static const std::map<std::string, std::vector<MotifNote>> motifs = {
      {"Am", {{0, 3, 76}, {3, 1, 74}, {4, 2, 76}, {6, 2, 72}}},
      {"A", {{0, 8, 73}}},
      {"F", {{0, 3, 72}, {3, 1, 74}, {4, 2, 72}, {6, 2, 69}}},
      {"C", {{0, 3, 67}, {3, 1, 69}, {4, 2, 72}, {6, 2, 76}}},
      {"G", {{0, 4, 74}, {4, 2, 71}, {6, 2, 67}}},
      {"E", {{0, 4, 71}, {4, 2, 68}, {6, 2, 64}}},
      {"Dm", {{0, 3, 74}, {3, 1, 72}, {4, 2, 69}, {6, 2, 65}}},
      {"Em", {{0, 4, 71}, {4, 2, 67}, {6, 2, 64}}},
  };
  return motifs.at(chord);
}

int third(const Chord& c) { return c.major ? 4 : 3; }

// Lowest notes of each register for a chord root, so voicings stay in range.
int bassRoot(const Chord& c) { return 28 + (c.pitchClass - 4 + 12) % 12; }   // E1..D#2
int padRoot(const Chord& c) { return 45 + (c.pitchClass - 9 + 12) % 12; }    // A2..G#3
int pluckRoot(const Chord& c) { return 57 + (c.pitchClass - 9 + 12) % 12; }  // A3..G#4

class Writer {
 public:
  // toneRamp: how much further the filters open by the end of the section.
  Writer(const Section& s, const Style& st, double levelDb, double toneRamp, std::vector<Note>& out)
      : sec_(s), style_(st), out_(out), gapStart_(s.end - st.gapBeats * s.beatSeconds()),
        level_(dbToGain(levelDb)), toneRamp_(toneRamp) {}

  double beatTime(double beat) const { return sec_.beatTime(beat); }
  bool audible(double beat) const { return beatTime(beat) < gapStart_ - 1e-9; }

  // Adds a note unless it starts inside the pre-cut gap; notes reaching into
  // the gap are cut short there so the next hit stands out.
  void add(Instrument instrument, double beat, double lengthSeconds, double pitch,
           double velocity, double pan = 0.0, bool hit = false) {
    const double t = beatTime(beat);
    if (!audible(beat)) return;
    double len = lengthSeconds;
    bool choked = false;
    if (style_.gapBeats > 0.0 && t + len > gapStart_) {
      len = gapStart_ - t;
      choked = true;
    }
    const double v = std::clamp(velocity * (hit ? 1.0 : level_), 0.0, 1.0);
    const double tone = std::min(1.0, style_.bright + toneRamp_ * beat / sec_.beats);
    out_.push_back({instrument, t, len, pitch, v, pan, tone, choked});
  }

  const Chord& chordAtBar(int bar) const {
    const auto& names = style_.chords;
    return chordTable().at(names[std::min<size_t>(bar, names.size() - 1)]);
  }
  const std::string& chordNameAtBar(int bar) const {
    return style_.chords[std::min<size_t>(bar, style_.chords.size() - 1)];
  }

 private:
  const Section& sec_;
  const Style& style_;
  std::vector<Note>& out_;
  double gapStart_;
  double level_;
  double toneRamp_;
};

// One sixteenth-note step of a section: where it lies and how hard it is played.
struct Step {
  int s;          // index of the sixteenth in the section
  double b;       // its beat
  int bar, inBar;
  const Chord* ch;  // the bar's chord
  double accent;  // 1 on beats, 0.8 on eighths, 0.6 on the other sixteenths
  double human;   // small velocity variation of the hats
};

// What every writer of a section reads: the section, its style and its place.
struct SectionContext {
  const Section& sec;
  const Style& st;
  size_t index;
  double beat;  // seconds
  int steps;    // sixteenth notes
  int bars;
  double v;     // the section's drive
};

// The hit on the cut itself.
void writeCutHit(Writer& w, const SectionContext& c) {
  const Chord& first = w.chordAtBar(0);
  if (c.st.hit == 1 || c.st.hit == 2) w.add(Instrument::Kick, 0, 0.5, 0, 1.0, 0.0, true);
  if (c.st.hit >= 1) {
    w.add(Instrument::Crash, 0, 2.5, 0, 0.9 * std::max(c.v, 0.7), -0.3, true);
  }
  if (c.st.hit >= 2) {
    w.add(Instrument::Boom, 0, 2.2, bassRoot(first), 0.9, 0.0, true);
    const int root = padRoot(first) + 12;
    for (int p : {root, root + third(first), root + 7, root + 12}) {
      w.add(Instrument::Stab, 0, 0.35, p, 0.8, (p % 3 - 1) * 0.5, true);
    }
  }
}

void writeDrumStep(Writer& w, const SectionContext& c, const Step& t) {
  const Style& st = c.st;
  const int s = t.s, inBar = t.inBar, bar = t.bar;
  const double b = t.b, v = c.v;
  bool kick = false;
  if (st.kick == 1) kick = inBar == 0 || inBar == 8;
  if (st.kick == 2) kick = inBar % 4 == 0;
  if (st.kick == 3) kick = inBar == 0 || inBar == 6 || (inBar == 14 && bar % 2 == 1);
  if (kick && s != 0) w.add(Instrument::Kick, b, 0.45, 0, 0.75 + 0.25 * v);

  if (st.snare == 1 && (inBar == 4 || inBar == 12)) {
    w.add(Instrument::Snare, b, 0.3, 0, 0.6 + 0.35 * v);
    if (st.lead && c.index != kBreakdown) w.add(Instrument::Clap, b, 0.3, 0, 0.7, -0.15);
  }
  // The march: a soft drag of two ghost notes into every other bar.
  if (c.index == kMarching && bar % 2 == 1 && (inBar == 14 || inBar == 15)) w.add(Instrument::Snare, b, 0.1, 0, 0.3);
  if (st.snare == 2 && inBar == 8) w.add(Instrument::Snare, b, 0.4, 0, 0.9);
  if (st.snare == 3) {
    // Roll from eighths to sixteenths, growing louder towards the cut.
    const double progress = b / c.sec.beats;
    if (progress > 0.5 || s % 2 == 0) w.add(Instrument::Snare, b, 0.2, 0, 0.25 + 0.7 * progress);
  }

  if (st.hats == 1 && s % 2 == 0) {
    w.add(Instrument::ClosedHat, b, 0.08, 0, (inBar % 4 == 2 ? 0.55 : 0.35) * (0.6 + 0.4 * v) * t.human, 0.2);
  }
  if (st.hats >= 2) {
    if (st.hats == 3 && inBar % 4 == 2) {
      w.add(Instrument::OpenHat, b, 0.2, 0, 0.45 * v * t.human, 0.25);
    } else {
      w.add(Instrument::ClosedHat, b, 0.06, 0, 0.3 * t.accent * (0.6 + 0.4 * v) * t.human, 0.2);
    }
  }
}

void writeBassStep(Writer& w, const SectionContext& c, const Step& t) {
  const Style& st = c.st;
  const int root = bassRoot(*t.ch);
  if (st.bass == 1) {
    if (st.kick == 3) {
      // Half-time: follows the kick, root then a fifth.
      if (t.inBar == 0) w.add(Instrument::Bass, t.b, 5.5 * c.beat / 4, root, 0.9);
      if (t.inBar == 6) w.add(Instrument::Bass, t.b, 9.5 * c.beat / 4, root + 7, 0.8);
    } else if (t.inBar == 0) {
      w.add(Instrument::Bass, t.b, 3.9 * c.beat, root, 0.7);
    }
  }
  if (st.bass == 2 && t.s % 2 == 0) {
    w.add(Instrument::Bass, t.b, 0.45 * c.beat, root + ((t.inBar % 4 == 2) ? 12 : 0), 0.6 + 0.3 * t.accent);
  }
  if (st.bass == 3 && t.inBar % 4 != 0) {
    w.add(Instrument::Bass, t.b, 0.2 * c.beat, root, 0.6 + 0.3 * t.accent);
  }
}

// Plucked arpeggio over the chord tones.
void writePluckStep(Writer& w, const SectionContext& c, const Step& t) {
  const Style& st = c.st;
  if (!(st.pluck > 0 && (st.pluck == 2 || t.s % 2 == 0))) return;
  const Chord& ch = *t.ch;
  const int pr = pluckRoot(ch);
  const int tones[5] = {pr, pr + third(ch), pr + 7, pr + 12, pr + 12 + third(ch)};
  // Up and down the chord; the robots run on a leaping figure instead.
  static const int kUpDown[8] = {0, 1, 2, 3, 4, 3, 2, 1};
  static const int kLeaping[8] = {0, 2, 4, 1, 3, 0, 4, 2};
  const int* order = c.index >= kRunning ? kLeaping : kUpDown;
  const int idx = order[(st.pluck == 2 ? t.s : t.s / 2) % 8];
  double vel = 0.45 + 0.3 * c.v;
  if (c.index == kTitle) vel *= 0.3 + 0.7 * t.b / c.sec.beats;  // the title fades the arpeggio in
  w.add(Instrument::Pluck, t.b, 0.2 * c.beat, tones[idx], vel * t.accent, (idx % 2 ? 0.45 : -0.45));
}

// Drums, bass and arpeggio, sixteenth by sixteenth.
void writeSteps(Writer& w, const SectionContext& c) {
  // Small velocity variations keep the hats from sounding like a machine
  // gun; seeded per section so every run is the same.
  Random feel(1000 + c.index);
  for (int s = 0; s < c.steps; ++s) {
    Step t;
    t.s = s;
    t.b = s / 4.0;
    t.human = 0.85 + 0.15 * feel.unit();
    t.bar = s / 16;
    t.inBar = s % 16;
    t.ch = &w.chordAtBar(t.bar);
    t.accent = (t.inBar % 4 == 0) ? 1.0 : (t.inBar % 2 == 0 ? 0.8 : 0.6);
    writeDrumStep(w, c, t);
    writeBassStep(w, c, t);
    writePluckStep(w, c, t);
  }
}

// Pads: one held chord per run of equal bars.
void writePads(Writer& w, const SectionContext& c) {
  if (!c.st.pad) return;
  int bar = 0;
  while (bar < c.bars) {
    int endBar = bar + 1;
    while (endBar < c.bars && w.chordNameAtBar(endBar) == w.chordNameAtBar(bar)) ++endBar;
    const Chord& ch = w.chordAtBar(bar);
    const int r = padRoot(ch);
    const double startBeat = bar * 4.0;
    const double endBeat = std::min<double>(endBar * 4.0, c.sec.beats);
    const double len = (endBeat - startBeat) * c.beat;
    int pan = 0;
    for (int p : {r, r + 7, r + 12 + third(ch), r + 19}) {
      w.add(Instrument::Pad, startBeat, len, p, 0.55 + 0.3 * c.v, (pan++ % 2 ? 0.6 : -0.6));
    }
    bar = endBar;
  }
}

// Lead melody, one motif per bar; in the breakdown it enters after four bars.
void writeLead(Writer& w, const SectionContext& c) {
  if (!c.st.lead) return;
  const int firstBar = c.index == kBreakdown ? 4 : 0;
  for (int bar = firstBar; bar < c.bars; ++bar) {
    const std::string& name = w.chordNameAtBar(bar);
    // Every other phrase, and the whole finale, an octave up; the breakdown stays low.
    const bool lift = c.index == kFinale || (c.index != kBreakdown && (bar / 4) % 2 == 1);
    for (const MotifNote& m : leadMotif(name)) {
      const double b = bar * 4.0 + m.start * 0.5;
      if (b >= c.sec.beats) break;
      const double len = std::min(m.length * 0.5, c.sec.beats - b) * c.beat * 0.95;
      // In the quiet breakdown the lead carries the tune, so it sits higher in the mix.
      const double gain = c.index == kBreakdown ? 1.6 : 1.0;
      w.add(Instrument::Lead, b, len, m.pitch + (lift ? 12 : 0), (0.55 + 0.35 * c.v) * gain);
    }
  }
}

// Fills and risers into the next cut, and the touches that one section alone has.
void writeTransitions(Writer& w, const SectionContext& c) {
  const size_t index = c.index;
  const double lastBeat = c.sec.beats - c.st.gapBeats;
  if (c.st.fill) {
    for (double b = lastBeat - 1.0; b < lastBeat - 1e-9; b += 0.25) {
      w.add(Instrument::Snare, b, 0.2, 0, 0.55 + 0.4 * (b - lastBeat + 1.0), 0.1);
    }
  }
  if (index == kTitle || index == kCave || index == kRobotIntro) {
    const double from = index == kTitle ? 2.0 : 0.0;
    w.add(Instrument::Riser, from, (lastBeat - from) * c.beat, 0, index == kTitle ? 0.5 : 0.6);
  }
  if (index == kSinkhole) {
    // Sinkhole: toms tumbling down into the breakdown, booms every four bars.
    const double toms[4] = {50, 47, 43, 40};
    for (int i = 0; i < 4; ++i) w.add(Instrument::Tom, lastBeat - 2.0 + i * 0.5, 0.4, toms[i], 0.8);
    for (int bar = 4; bar < c.bars; bar += 4) w.add(Instrument::Boom, bar * 4.0, 2.0, bassRoot(w.chordAtBar(bar)), 0.6);
  }
  if (index == kBreakdown) {
    // Breakdown: soft hats come in from bar 8 on.
    for (int s = 8 * 16; s < c.steps; s += 2) {
      w.add(Instrument::ClosedHat, s / 4.0, 0.05, 0, (s % 4 == 2 ? 0.35 : 0.2), 0.3);
    }
  }
  if (index == kRunning) {
    for (int bar = 4; bar < c.bars; bar += 4) w.add(Instrument::Crash, bar * 4.0, 2.0, 0, 0.6, 0.3);
  }
  if (index == kFinale) {
    for (int bar = 1; bar < c.bars; ++bar) w.add(Instrument::Crash, bar * 4.0, 2.0, 0, 0.7, 0.3);
  }
}

// Every note of one section, in the order the mix has always been built in
// (notes at the same time keep it through the stable sort).
void writeSection(const Section& sec, const Part& part, size_t index, std::vector<Note>& out) {
  // The breakdown and the build-up of the robot scenes open their filters as they go.
  const double toneRamp = index == kBreakdown ? 0.35 : (index == kCave || index == kRobotIntro) ? 0.3 : 0.0;
  Writer w(sec, part.style, part.levelDb, toneRamp, out);
  const SectionContext c{sec, part.style, index, sec.beatSeconds(), sec.beats * 4, (sec.beats + 3) / 4,
                         part.style.drive};
  writeCutHit(w, c);
  writeSteps(w, c);
  writePads(w, c);
  writeLead(w, c);
  writeTransitions(w, c);
}

}  // namespace

std::vector<double> hitTimes() {
  std::vector<double> times;
  for (size_t i = 1; i < sections().size(); ++i) times.push_back(sections()[i].start);
  return times;
}

double duckDepthAt(double t) {
  for (size_t i = 0; i < sections().size(); ++i) {
    if (t >= sections()[i].start && t < sections()[i].end) return parts()[i].style.duck;
  }
  return 0.0;
}

std::vector<Note> buildScore() {
  std::vector<Note> notes;
  for (size_t i = 0; i < parts().size(); ++i) writeSection(sections()[i], parts()[i], i, notes);
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Note& a, const Note& b) { return a.time < b.time; });
  return notes;
}

}  // namespace lb_synth

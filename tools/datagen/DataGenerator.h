#pragma once
// The whole data set: the text meshes, the catalogue and the writing of every
// file into the output folder. Deterministic: the same inputs give the same bytes.

#include "MeshBuilder.h"
#include "Text.h"

#include <string>
#include <vector>

namespace lb_datagen {

// Where the scenes need the credit blocks to stop: the slide's offset at the
// three moments its speed drops to zero.
constexpr double kCreditStops[3] = {16.02, 48.07, 80.11};

// How the opening scenes look at their text: both meshes are turned by
// rotate(kTextTilt, 0, 0) and moved kTextDistance away from the eye, under a
// vertical field of view of kTextFieldOfView degrees. The screen's shape only
// changes the width that shows, so text sized for the narrowest screen the show
// supports (4:3, as the 640x480 and 1024x768 of party rules) fits every wider
// one too, up to 21:9, with kTextSideMargin of the half-width kept clear.
constexpr double kTextTilt = 1.51;
constexpr double kTextDistance = 13.33;
constexpr double kTextFieldOfView = 35;
constexpr double kNarrowestAspect = 4.0 / 3.0;
constexpr double kTextSideMargin = 0.1;

// Widest a line of solid letters centred on the view axis may be: `depth` is
// the letters' thickness, `height` their extent from top to bottom (units).
double fittingTextWidth(double depth, double height);

struct Credit {
  std::string role, handle;
};

// Title mesh "Quasar Fern": reads along +x, letters' up along -z, faces +y,
// centred on the origin.
MeshBuilder makeTitleMesh(const Font& font);
// Credit blocks centred at the stop positions, below the title (at positive z).
MeshBuilder makeCreatorsMesh(const Font& font, const std::vector<Credit>& credits);
// Shaft, name plates and lettering of the greetings scene, y up.
MeshBuilder makeGroupsMesh(const Font& font, const std::vector<std::string>& names);

// Reads non-empty, non-comment lines of a text file; false with a message if unreadable.
bool readLines(const std::string& path, std::vector<std::string>* lines, std::string* error);

// Writes everything into outDir (created if missing). contentDir holds the
// hand-written sources (shaders/, robot/, text/). Returns false with a message
// naming the file on the first failure. The catalogue is the data set's
// contract (DataSetContract.h), written last. Never writes data/music.mp3.
bool generateDataSet(const std::string& contentDir, const std::string& outDir, const std::string& fontPath,
                     std::string* error);

}  // namespace lb_datagen

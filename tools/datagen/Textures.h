#pragma once
// The pictures of the data set. All are pure functions of their arguments.

#include "Image.h"
#include "Text.h"

namespace lb_datagen {

// Palette shared by every picture and shader: night blue, teal light, magenta
// bloom and amber heat.
constexpr Rgba kNight{0.02f, 0.03f, 0.07f, 1};
constexpr Rgba kTeal{0.20f, 0.90f, 0.95f, 1};
constexpr Rgba kMagenta{0.95f, 0.30f, 0.75f, 1};
constexpr Rgba kAmber{1.00f, 0.68f, 0.25f, 1};

Image makeCircuit(int size);     // tileable printed-circuit board for the tunnels
Image makeCubeFace(int size);    // one cube face: dark glass in a glowing frame
Image makeLetterFace(int size);  // title letters: gradient face (v >= 0.25), dark rim below
Image makeSinkholeGround(int size);  // tileable basalt with glowing cracks
Image makeGroupsAtlas(int size);     // shaft wall (u < 0.5), sign face and plate
Image makeGlass(int size);           // tileable streaks with alpha for the glass tube
Image makeRobotFloor(int size);      // tileable floor plates
Image makeRobotWall(int size);       // tileable wall panels with light bars
// Title card of the finale, shown fitted inside the screen: the lettering with
// a glow on a dark plate across the middle band, transparent elsewhere.
Image makeTitleCard(const Font& font, int width, int height);

}  // namespace lb_datagen

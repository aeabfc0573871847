#pragma once
// The non-text meshes of the data set, each in the frame its scene places it in.

#include "MeshBuilder.h"

namespace lb_datagen {

// Half the edge of every cube of the show: the rolling arc radius, the robot's
// part size and the finale's landing height all assume it.
constexpr double kCubeHalf = 0.434;

// Plain cube, every face mapped onto the whole texture.
MeshBuilder makeCube();
// The same outer size with chamfered edges, so edge highlights catch the light.
MeshBuilder makeBevelledCube(double bevel);

// Tunnel tube along local +y. It repeats every kTunnelPeriod units (geometry and
// texture), spans y from -kTunnelPeriod/2 to kTunnelEnd so that segments placed
// one period apart overlap seamlessly and one segment alone reaches far enough
// past the side a sideways camera sees.
constexpr double kTunnelPeriod = 28.0;
constexpr double kTunnelEnd = 32.0;
constexpr double kTunnelRadius = 5.0;
MeshBuilder makeTunnel();

// Funnel, y up: level rim near height 4.5 out to radius 30, curving down into a
// throat of radius kThroatRadius that drops far below.
constexpr double kThroatRadius = 1.6;
double sinkholeHeight(double radius);
MeshBuilder makeSinkhole();

// Glass tube around the vertical axis, seen from inside.
constexpr double kGlassRadius = 4.0;
MeshBuilder makeGlassTube();

// Robot corridor, local +x along the corridor, walking surface at y = 0.
constexpr double kCorridorNear = -64.0;  // local x of the end towards the cameras
constexpr double kCorridorFar = 36.0;
constexpr double kCorridorHalfWidth = 9.0;
constexpr double kCorridorHeight = 12.0;
MeshBuilder makeCorridorFloor();
MeshBuilder makeCorridorTunnel();

// Greetings shaft: a widening 12-sided well around the vertical axis, its walls
// mapped onto the texture rectangle [0, 0.5] x [0, 1] quad by quad.
double shaftRadius(double y);
MeshBuilder makeShaft();

}  // namespace lb_datagen

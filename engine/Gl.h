#pragma once
// The one way the engine reaches OpenGL: GLEW must come before any other GL header.
#include <GL/glew.h>

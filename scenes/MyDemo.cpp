#include "MyDemo.h"

#include "BouncingCubes.h"
#include "BouncingCubes2.h"
#include "Config.h"
#include "DataSetLocator.h"
#include "FallingApart.h"
#include "Gl.h"
#include "GlFlavour.h"
#include "Greetings.h"
#include "GroupTitle.h"
#include "MarchingCubes.h"
#include "RobotCave.h"
#include "RobotIntro.h"
#include "RobotRunning.h"
#include "Sinkhole.h"

MyDemo::MyDemo(int width, int height) : lb_engine::Demo(width, height) {
  glClearColor(0, 0, 0, 0);
  glEnable(GL_DEPTH_TEST);
  // Desktop GL takes point sizes from the shader only when asked; ES always
  // does, and has no such switch.
  if (!lb_engine::kGlEs) glEnable(GL_PROGRAM_POINT_SIZE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void MyDemo::init() {
  // Construction order is playing order, and it also fixes which drand48 values
  // each scene draws: the generator is never seeded, so every layout is the same
  // on every run as long as this order and each scene's draw count stay put.
  lb_engine::Config* config = new lb_engine::Config(lb_engine::kCataloguePath);
  catalogue_ = config;
  scenes.push_back(new GroupTitle(width, height, config));
  scenes.push_back(new MarchingCubes(width, height, config));
  scenes.push_back(new BouncingCubes(width, height, config));
  scenes.push_back(new BouncingCubes2(width, height, config));
  scenes.push_back(new Sinkhole(width, height, config));
  scenes.push_back(new Greetings(width, height, config));
  scenes.push_back(new RobotCave(width, height, config));
  scenes.push_back(new RobotIntro(width, height, config));
  scenes.push_back(new RobotRunning(width, height, config));
  scenes.push_back(new FallingApart(width, height, config));
}

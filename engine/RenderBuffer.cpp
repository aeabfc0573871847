#include "RenderBuffer.h"

#include "Gl.h"
#include "ShaderProgram.h"
#include "Sprite.h"

#include <cstdio>

namespace lb_engine {

RenderBuffer::RenderBuffer(int w, int h, int reservedValue, int colours, bool withDepth)
    : framebuffer(0),
      colourTextures(nullptr),
      depthTexture(0),
      width(w),
      height(h),
      reserved(reservedValue),
      error(false),
      colourCount(colours),
      program(nullptr),
      sprite(nullptr) {
  colourTextures = new unsigned int[colourCount > 0 ? colourCount : 1]();
  GLenum* drawBuffers = new GLenum[colourCount > 0 ? colourCount : 1];

  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);

  if (colourCount > 0) glGenTextures(colourCount, colourTextures);
  for (int i = 0; i < colourCount; ++i) {
    glBindTexture(GL_TEXTURE_2D, colourTextures[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, colourTextures[i], 0);
    drawBuffers[i] = GL_COLOR_ATTACHMENT0 + i;
  }

  if (withDepth) {
    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    // No pixels are sent, but OpenGL ES accepts a 24-bit depth texture only
    // with the pixel type GL_UNSIGNED_INT.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
  }

  glDrawBuffers(colourCount, drawBuffers);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error = true;
    std::printf("Render to texture initialization failed\n");
  }

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  delete[] drawBuffers;
  sprite = new Sprite();
}

RenderBuffer::~RenderBuffer() {
  glDeleteTextures(colourCount, colourTextures);
  if (depthTexture != 0) glDeleteTextures(1, &depthTexture);
  glDeleteFramebuffers(1, &framebuffer);
  delete[] colourTextures;
  delete sprite;
}

unsigned int RenderBuffer::getRenderTexture(int index) {
  if (index < 0 || index >= colourCount) return 0;
  return colourTextures[index];
}

void RenderBuffer::firstPass() {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glEnable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, width, height);
}

void RenderBuffer::secondPass() {
  // Sampler names "color0", "color1", ... are built without formatting at run
  // time: the frame path must not allocate.
  static const char* const kColourNames[] = {"color0", "color1", "color2", "color3",
                                             "color4", "color5", "color6", "color7"};
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDisable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT);
  if (program == nullptr) {
    // No post-processing program was given: nothing can compose the picture.
    static bool reported = false;
    if (!reported) std::fprintf(stderr, "render buffer: no post-processing program; the screen stays clear\n");
    reported = true;
    return;
  }
  program->use();
  for (int i = 0; i < colourCount && i < 8; ++i) program->addTexture(kColourNames[i], colourTextures[i]);
  if (depthTexture != 0) program->addTexture("depth", depthTexture);
}

void RenderBuffer::draw() {
  if (program != nullptr) sprite->draw();
}

}  // namespace lb_engine

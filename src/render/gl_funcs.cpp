#include "render/gl_funcs.h"

#include <SDL2/SDL.h>

#include <vector>

namespace qel {

bool GlFuncs::Load(const char** missing) {
#define QEL_GL_LOAD(type, name, sym)                                      \
  name = reinterpret_cast<decltype(&::sym)>(SDL_GL_GetProcAddress(#sym));           \
  if (!name) {                                                          \
    if (missing) *missing = #sym;                                       \
    return false;                                                       \
  }
  QEL_GL_FUNCS(QEL_GL_LOAD)
#undef QEL_GL_LOAD
  return true;
}

static GLuint Compile(const GlFuncs& gl, GLenum kind, const char* src, std::string* log) {
  GLuint s = gl.CreateShader(kind);
  gl.ShaderSource(s, 1, &src, nullptr);
  gl.CompileShader(s);
  GLint ok = 0;
  gl.GetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    if (log) {
      char buf[1024] = {};
      gl.GetShaderInfoLog(s, sizeof buf - 1, nullptr, buf);
      *log = buf;
    }
    gl.DeleteShader(s);
    return 0;
  }
  return s;
}

GLuint BuildProgram(const GlFuncs& gl, const char* vs, const char* fs, const char* const* attribs, int attribCount,
                    std::string* log) {
  GLuint v = Compile(gl, GL_VERTEX_SHADER, vs, log);
  if (!v) return 0;
  GLuint f = Compile(gl, GL_FRAGMENT_SHADER, fs, log);
  if (!f) {
    gl.DeleteShader(v);
    return 0;
  }
  GLuint p = gl.CreateProgram();
  gl.AttachShader(p, v);
  gl.AttachShader(p, f);
  for (int i = 0; i < attribCount; ++i) gl.BindAttribLocation(p, static_cast<GLuint>(i), attribs[i]);
  gl.LinkProgram(p);
  gl.DeleteShader(v);
  gl.DeleteShader(f);
  GLint ok = 0;
  gl.GetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    if (log) {
      char buf[1024] = {};
      gl.GetProgramInfoLog(p, sizeof buf - 1, nullptr, buf);
      *log = buf;
    }
    gl.DeleteProgram(p);
    return 0;
  }
  return p;
}

}  // namespace qel

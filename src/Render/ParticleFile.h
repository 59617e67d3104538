#pragma once

#include <string>

class CPEffectManager;

// Reads the particle prototypes and emitters of the effects and hands them
// to the effect manager. One section per name:
//   [iskra]
//   kind = particles               a prototype of camera-facing particles
//   effectfile = particle.fx       effect and picture of their material
//   texturefile1 = spark.tga
//   life = 0.4                     seconds, above 0
//   size = 0.15                    half width at the start, 0 or more
//   grow = 0                       growth of the half width a second
//   gravity = -9.8                 fall speed gained a second (negative rises)
//   count = 12                     particles a request starts
//
//   [sparks]
//   kind = emitter                 a record particle systems are built from
//   effect = iskra                 the prototype its ticks ask for
//   direction = 0,0,1              cone axis, not zero
//   speed = 6                      length of the velocity
//   cone = 60                      full opening in degrees: 0, or 2 to 360
//   spread = 0.1,0.1,0.1           half extents of the start positions
//   param_a, param_b, param_d      words handed on to the requests
//   vector_c = 0,0,0               vector handed on to the requests
//   flag = 0                       byte handed on to the requests
// grow, gravity and the emitter's keys after speed may be left out (0). A
// file that cannot be read, or any section with an unknown kind or key, a
// value out of range or a required key missing, registers nothing: the
// reason goes to the log.
class CPParticleFile {
  public:
    static constexpr const char* kDefaultFile = "Data\\Effects\\particles.txt";

    static bool Load(const std::string& fileName, CPEffectManager& manager);
};

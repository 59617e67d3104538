#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Render/VertexEffect.h"

// Makes a vertex effect from a render description's "vertexeffect" entry:
// the keyword (any case) and its parameters as text.
//
//   "anim"        columns, rows (integers), speed
//   "flick"       frequency, low, high (integers, low 8 bits kept)
//   "movingtex"   rate u, rate v
//   "fade"        rate
//   "environment" scale
//
// Each parameter must be empty or made only of digits, "." and "-"; it is
// read as far as it forms a number, an empty or number-less text as 0.
// Null, without a report, for an unknown keyword, a wrong number of
// parameters, another character, a number too large to hold, an atlas of
// fewer than one column or row (or too many cells) and a scale of 0 or
// less.
std::unique_ptr<CPVertexEffect> CreateVertexEffect(const std::string& name,
                                                   const std::vector<std::string>& parameters);

#pragma once

// The smaller and the larger of two floats with the answers of the C
// library's fmin and fmax, bit for bit, inlined (the library's are calls the
// compiler keeps): a NaN gives way to the other value, and of two equal
// values (+0 and -0 among them) the second is returned.
inline float FloatMin(float a, float b) { return a < b || b != b ? a : b; }
inline float FloatMax(float a, float b) { return a > b || b != b ? a : b; }

#pragma once

// The divisor every mass of the game's physics descriptions goes through
// before it reaches a body. It starts at 1 and is never 0: a divisor of 1
// keeps every mass as given.
int GetMassDivisor();
// Refuses (returning false, keeping the divisor) a value of 0 or less.
bool SetMassDivisor(int divisor);
float ApplyMassDivisor(float mass);

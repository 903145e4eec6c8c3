#pragma once

// Random numbers from one generator shared by the whole process; safe to call
// from any thread. Each call draws a 15-bit value r (0..32767) and maps it
// onto the range, so a range wider than 32768 values is reached in steps.

// Random integer in [min(a, b), max(a, b)].
int Random(int a, int b);

// Random real in [min(a, b), max(a, b)].
double RandomDouble(double a, double b);

// Restarts the generator at seed, for reproducible runs.
void SeedRandom(unsigned seed);

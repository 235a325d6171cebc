// The game's random numbers: the very sequence of an unseeded rand() in the
// GNU C library, made here so that every machine and C library draws the
// same game, and without the lock that rand() takes in every call.
#pragma once

// Answers the next number of the sequence, 0 to 2^31 - 1.
int next_random();

// Starts the sequence again from its first number, as a fresh process
// does (for tests that play several games in one process).
void reset_random();

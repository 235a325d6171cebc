// A checksum of every presented picture, one line each, for checking that
// two runs show the same game (a recorded one and its playback).
#pragma once

#include <SDL.h>

// Opens `path` for the checksums; false (errno set) when it cannot.
bool start_frame_sums(const char* path);

// Writes "FRAME CHECKSUM" for the picture about to be presented: the frame
// of play it belongs to, and FNV-1a (64 bits) over its pixels' 32-bit
// words, row by row. Nothing unless start_frame_sums was called.
void sum_presented_picture(SDL_Surface* picture);

// Writes out what is left and closes the file.
void finish_frame_sums();

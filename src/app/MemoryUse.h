#pragma once
// How the window's process takes memory from the system.
//
// Each run on a decade of data allocates and frees blocks of megabytes (the
// data file's bytes, the ten-minute table, the pages' texts). The C library of
// GNU systems serves such blocks from the heap once a bigger one has been
// freed, and a freed block in the middle of the heap stays with the process:
// every further run then starts from more resident memory. Serving blocks of
// a megabyte or more by mapping keeps the peak at what a run really holds.
// Called once, at the start of the program; elsewhere it does nothing.
// Measured on the ten-year file, ten runs in the window: peak 240 MB against
// 262 MB without it, resident memory afterwards 153 MB against 223 MB.
void mapBigBlocksFromTheSystem();

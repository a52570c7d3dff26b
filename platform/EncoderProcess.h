// The ffmpeg process behind video export, one implementation a host system:
// started with its messages in a temporary log, fed through a pipe when it
// reads frames, waited for and its failure told in one line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

struct EncoderProcess;

// True when an ffmpeg program is on the search path.
bool EncoderOnPath();

// Starts ffmpeg with `args` (after the program name); with `input`, its
// standard input is a pipe that EncoderWrite fills. Null with the reason in
// `error` when it cannot be started.
EncoderProcess *EncoderStart(const std::vector<const char *> &args, bool input, char *error, unsigned errorSize);

// Writes all `n` bytes to the encoder's input; false once it stopped reading.
bool EncoderWrite(EncoderProcess *p, const void *data, size_t n);

// Closes the input, waits for the encoder to end and frees `p`. True when it
// exited with status 0; otherwise the reason (its last message) in `error`.
bool EncoderFinish(EncoderProcess *p, char *error, unsigned errorSize);

// The last non-empty line of the encoder's messages, for a one-line report.
std::string EncoderLastLine(std::FILE *log);

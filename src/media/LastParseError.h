#pragma once
// The text of the last option that failed to apply, written by the parser, the
// option handlers and the library-option fallback, and read when a parse fails.
// A job's options are parsed on the thread that builds the job, so each thread
// keeps its own text and two threads building jobs never share it.

#include <string>

std::string& LastParseError();

// Adds a message after "\r\n", or as the whole text when there is none yet.
void AppendLastParseError(const std::string& text);

#pragma once
// An output is written under a temporary name in the target's folder and renamed
// over the target only when the job ends, so a failed job never damages a file that
// already has the target's name.

#include <string>

// Creates a fresh temporary file beside ATarget and returns its name in ATemp.
// Returns 0 or a negative error code (AVERROR of errno).
int CreateOutputTarget(const std::string& ATarget, std::string& ATemp);
// Moves the written temporary file over the target. Returns 0 or a negative code.
int CommitOutputTarget(const std::string& ATemp, const std::string& ATarget);
// Removes the temporary file, if any.
void DiscardOutputTarget(const std::string& ATemp);

#pragma once
// The sub-commands of quaverly-cli. Each takes the words after its name and returns
// the process exit status: 0 success, 1 a failure of the work, 2 a usage error.

#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;

int runProbe(const CommandArgs& args);
int runJob(const CommandArgs& args);
int runTags(const CommandArgs& args);
int runBatch(const CommandArgs& args);

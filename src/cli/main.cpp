// quaverly-cli: the converter's engine from the command line, one sub-command per task.

#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <span>

namespace {

struct Command {
    const char* name;
    const char* help;
    int (*run)(const CommandArgs& args);
};

// Add a sub-command with one line here and its declaration in Commands.h.
const Command commands[] = {
    { "probe", "describe media files: format, duration, bit rate, tags and streams", runProbe },
};

constexpr int exitUsage = 2;

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli [--help] COMMAND [ARGUMENTS...]\n"
        "\n"
        "Commands:\n");
    for (const Command& c : commands)
        std::fprintf(out, "  %-10s %s\n", c.name, c.help);
    std::fprintf(out,
        "\n"
        "Options:\n"
        "  --help     show this text; COMMAND --help explains a command\n");
}

const Command* findCommand(const char* name)
{
    for (const Command& c : commands)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

int dispatch(std::span<char*> words)
{
    size_t i = 0;
    for (; i < words.size() && words[i][0] == '-'; ++i) {
        if (std::strcmp(words[i], "--help") == 0 || std::strcmp(words[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
        std::fprintf(stderr, "quaverly-cli: unknown option %s\n", words[i]);
        printUsage(stderr);
        return exitUsage;
    }
    if (i == words.size()) {
        printUsage(stderr);
        return exitUsage;
    }
    const Command* command = findCommand(words[i]);
    if (!command) {
        std::fprintf(stderr, "quaverly-cli: unknown command %s\n", words[i]);
        printUsage(stderr);
        return exitUsage;
    }
    return command->run(CommandArgs(words.begin() + static_cast<long>(i) + 1, words.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    return dispatch(std::span<char*>(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)));
}

// quaverly-cli: the converter's engine from the command line, one sub-command per task.

#include "cli/Commands.h"

#include "media/FFLogger.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <stdexcept>

namespace {

struct Command {
    const char* name;
    const char* help;
    int (*run)(const CommandArgs& args);
};

// Add a sub-command with one line here and its declaration in Commands.h.
const Command commands[] = {
    { "probe", "describe media files: format, duration, bit rate, tags and streams", runProbe },
    { "job", "convert one or more inputs into one output file", runJob },
    { "tags", "show or write the title, artist, album, genre, year and track of files", runTags },
    { "batch", "convert many files at once, several jobs at a time", runBatch },
};

constexpr int exitUsage = 2;

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli [--help] [--loglevel NAME] COMMAND [ARGUMENTS...]\n"
        "\n"
        "Commands:\n");
    for (const Command& c : commands)
        std::fprintf(out, "  %-16s  %s\n", c.name, c.help);
    std::fprintf(out,
        "\n"
        "Options:\n"
        "  --help            show this text; COMMAND --help explains a command\n"
        "  --loglevel NAME   quiet, panic, fatal, error, warning, info (the default),\n"
        "                    verbose, debug, or a number on the libraries' scale;\n"
        "                    log lines go to standard error\n");
}

const Command* findCommand(const char* name)
{
    for (const Command& c : commands)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

// Every log line goes to standard error; the media libraries' lines join them once
// a command has loaded the libraries.
void setUpLogging()
{
    TFFLogger& logger = GetLogger();
    logger.SetTriggerEventInMainThread(false);
    logger.SetOnLog([](const void*, uint32_t, TLogLevel level, const std::string& line) {
        std::fprintf(stderr, "[%s] %s\n", LogLevelName(level), line.c_str());
    });
}

bool setLogLevel(const char* name)
{
    try {
        GetLogger().OptLogLevel(name);
        return true;
    } catch (const std::invalid_argument&) {
        std::fprintf(stderr, "quaverly-cli: invalid log level %s\n", name);
        return false;
    }
}

int dispatch(std::span<char*> words)
{
    size_t i = 0;
    for (; i < words.size() && words[i][0] == '-'; ++i) {
        if (std::strcmp(words[i], "--help") == 0 || std::strcmp(words[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
        if (std::strcmp(words[i], "--loglevel") == 0 && i + 1 < words.size()) {
            if (!setLogLevel(words[++i]))
                return exitUsage;
            continue;
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
    setUpLogging();
    return dispatch(std::span<char*>(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)));
}

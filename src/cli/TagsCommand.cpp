// quaverly-cli tags [OPTIONS] FILE...: shows the tags of files, or writes them.

#include "cli/Commands.h"

#include "media/AuException.h"
#include "media/TagEditor.h"

#include <array>
#include <cstdio>
#include <optional>

namespace {

// One editable tag: its option, its label in the listing and the editor's
// accessors.
struct TagField {
    const char* option;
    const char* label;
    const std::string& (TTagEditor::*get)() const;
    void (TTagEditor::*set)(const std::string&);
};

const std::array<TagField, 6> fields { {
    { "--title", "Title", &TTagEditor::Title, &TTagEditor::SetTitle },
    { "--artist", "Artist", &TTagEditor::Artist, &TTagEditor::SetArtist },
    { "--album", "Album", &TTagEditor::Album, &TTagEditor::SetAlbum },
    { "--genre", "Genre", &TTagEditor::Genre, &TTagEditor::SetGenre },
    { "--year", "Year", &TTagEditor::Year, &TTagEditor::SetYear },
    { "--track", "Track", &TTagEditor::Track, &TTagEditor::SetTrack },
} };

struct Request {
    std::array<std::optional<std::string>, fields.size()> values;
    std::vector<std::string> files;

    bool writes() const
    {
        for (const auto& value : values)
            if (value)
                return true;
        return false;
    }
};

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli tags [OPTIONS] FILE...\n"
        "\n"
        "Prints the title, artist, album, genre, year and track of each "
        "file, with its\n"
        "duration and bit rate. With any of the options below the given "
        "tags are written\n"
        "into each file first; the others keep their values. An empty "
        "text clears a tag;\n"
        "a year or track that is not a whole number of 0 or more is "
        "left as it is.\n"
        "Handled types: .mp3 .flac .ogg .m4a .wv (.wma is read only).\n"
        "\n"
        "Options:\n"
        "  --title TEXT  --artist TEXT  --album TEXT  --genre TEXT  "
        "--year N  --track N\n"
        "\n"
        "Exit status 0 on success, 1 when a file could not be read or "
        "written (the other\n"
        "files are still handled), 2 for a usage error.\n");
}

// Splits the words into tag values and files; false on a usage error.
bool parse(const CommandArgs& args, Request& request)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.empty() || word[0] != '-') {
            request.files.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::string name = word.substr(0, word.find('='));
        size_t f = 0;
        while (f < fields.size() && name != fields[f].option)
            ++f;
        if (f == fields.size()) {
            std::fprintf(stderr, "quaverly-cli tags: unknown option %s\n", word.c_str());
            return false;
        }
        if (name.size() < word.size()) {
            request.values[f] = word.substr(name.size() + 1);
        } else if (i + 1 < args.size()) {
            request.values[f] = args[++i];
        } else {
            std::fprintf(stderr, "quaverly-cli tags: %s needs a value\n", word.c_str());
            return false;
        }
    }
    return !request.files.empty();
}

void printTags(const TTagEditor& editor)
{
    std::printf("File: %s\n", editor.FileName().c_str());
    for (const TagField& field : fields)
        std::printf("  %s: %s\n", field.label, (editor.*field.get)().c_str());
    std::printf("  Duration: %u s\n", editor.Duration());
    std::printf("  Bit rate: %u kb/s\n", editor.Bitrate());
}

bool fail(const std::string& file, const char* why)
{
    std::fprintf(stderr, "quaverly-cli tags: %s: %s\n", file.c_str(), why);
    return false;
}

bool writeTags(TTagEditor& editor, const Request& request)
{
    if (!TTagEditor::CanSave(editor.FileName()))
        return fail(editor.FileName(), "tags of this file type are not written");
    for (size_t f = 0; f < fields.size(); ++f)
        if (request.values[f])
            (editor.*fields[f].set)(*request.values[f]);
    try {
        editor.Save();
    } catch (const EAuException& e) {
        return fail(editor.FileName(), e.what());
    }
    editor.SetFileName(editor.FileName());
    return true;
}

bool handleFile(const std::string& file, const Request& request)
{
    TTagEditor editor;
    editor.SetFileName(file);
    if (!editor.Valid())
        return fail(file, "no readable tags (missing file or unsupported type)");
    if (request.writes() && !writeTags(editor, request))
        return false;
    printTags(editor);
    return true;
}

} // namespace

int runTags(const CommandArgs& args)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(stdout);
        return 0;
    }
    Request request;
    if (!parse(args, request)) {
        printUsage(stderr);
        return 2;
    }
    bool allDone = true;
    for (const std::string& file : request.files)
        allDone = handleFile(file, request) && allDone;
    return allDone ? 0 : 1;
}

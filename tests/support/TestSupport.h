#pragma once
// Helpers shared by every test program: a scratch folder that cleans itself up,
// fixtures made by independent tools, and the program folder of this build.

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Runs a program with arguments (no shell); returns its exit status, -1 if it could
// not run. Standard output and error are captured into `output` when given.
int runProgram(const std::vector<std::string>& argv, std::string* output = nullptr);

// A sine tone made by sox: `seconds` long, `rate` Hz, `channels`, written in the
// format that the file name's extension gives. `extra` are more sox output options
// placed before the file name (for example {"-b", "24"}). Fails the test on error.
void makeTone(const std::filesystem::path& file, double seconds, int rate = 44100,
    int channels = 2, const std::vector<std::string>& extra = {});

// Encodes a 16-bit WAV file with an independent encoder chosen by the extension of
// `out`: flac, lame (mp3), oggenc (ogg), opusenc (opus), or GStreamer (m4a: AAC in
// MP4; wma: WMA 2 in ASF; mkv: a test picture with the sound as Vorbis). `extra`
// goes to the command-line encoders before the file names. Fails the test on error.
void encodeAudio(const std::filesystem::path& wav, const std::filesystem::path& out,
    const std::vector<std::string>& extra = {});

// Runs gst-launch-1.0 with a pipeline whose elements and properties are separated
// by single spaces (no quoting). Fails the test on error.
void runGstLaunch(const std::string& pipeline);

// Writes bytes to a file as they are.
void writeFile(const std::filesystem::path& file, const std::string& bytes);
std::string readFile(const std::filesystem::path& file);

// A fresh home folder for the user: HOME and XDG_CONFIG_HOME point into a scratch
// folder until this is destroyed (documents, music and settings follow them).
class ScratchHome {
public:
    ScratchHome();
    ~ScratchHome();
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    const std::filesystem::path& path() const { return m_dir.path(); }
    std::filesystem::path operator/(const std::string& name) const { return m_dir / name; }
    std::filesystem::path config() const { return m_dir / ".config"; }

private:
    TempDir m_dir;
    std::string m_home;
    std::string m_config;
    bool m_hadConfig;
};

// The folder holding the built programs, the catalogue and the skin.
std::filesystem::path programDir();

}  // namespace testsupport

#pragma once
// The option state a job owns and the parser that fills it from option strings
// and preset texts: the per-file context, the job-wide settings and the library
// option dictionaries. Parsing runs on the thread that builds the job.

#include "media/FFOptions.h"
#include "media/JobSettings.h"
#include "media/OptionDef.h"
#include "media/OptionsContext.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The option state of one job, for a parser that is not part of a job.
struct TOptionState {
    TOptionsContext Context;
    TJobSettings Settings;
    TFFOptions Options;
};

class TOptionParser {
public:
    // The inputs a job has opened so far, for the mapping options; nullptr past the
    // last one.
    using TInputLookup = std::function<const AVFormatContext*(int index)>;

    // A parser with its own option state; messages are logged for `sender`, or for
    // the parser itself.
    explicit TOptionParser(const void* sender = nullptr);
    // A parser that fills the option state of a job, which outlives it.
    TOptionParser(
        TOptionsContext& context, TJobSettings& settings, TFFOptions& options, const void* sender);
    TOptionParser(const TOptionParser&) = delete;
    TOptionParser& operator=(const TOptionParser&) = delete;

    // Splits the string into words and applies them. Throws FFmpegException with
    // the message when an option fails while HaltOnInvalidOption is set, and for a
    // value that cannot be converted whatever it is set to.
    void ParseOptions(const std::string& options);
    // Applies the key=value lines of a preset text; throws like ParseOptions.
    void ParsePresets(const std::string& presets);

    // Applies one option with its candidate value (nullptr: none). Returns 1 when
    // the value was taken, 0 when not, or a negative code with the last parse error
    // set. Throws FFmpegException for a value that cannot be converted.
    int ApplyOption(const std::string& name, const std::string* value);

    // After an input or output has been opened: the context returns to its reset
    // state (an input's duration limit stays for the output) and the library option
    // dictionaries are emptied.
    void ResetContext(bool afterInput);

    bool HaltOnInvalidOption() const { return FHaltOnInvalidOption; }
    void SetHaltOnInvalidOption(bool value) { FHaltOnInvalidOption = value; }
    void SetInputFiles(TInputLookup lookup) { FInputFiles = std::move(lookup); }

    TOptionsContext& Context() { return FContext; }
    TJobSettings& Settings() { return FSettings; }
    TFFOptions& Options() { return FOptions; }

    // The whole vocabulary, in table order.
    static std::span<const TOptionDef> Table();
    // The entry named by the part of `name` before its first ":", or nullptr.
    static const TOptionDef* FindOption(std::string_view name);

private:
    int ApplyWords(const std::vector<std::string>& words);
    int ApplyLogLevelFirst(const std::vector<std::string>& words);
    int Store(
        const TOptionDef& def, const std::string& name, const std::string& value, bool negated);
    int CallHandler(const TOptionDef& def, const std::string& name, const std::string& value);
    // Failures leave parsing as FFmpegException; they are logged at the fatal level.
    void LogFatalErrors(const std::function<void()>& body);
    [[noreturn]] void Raise(const std::string& message);
    // Sets the last parse error, logs it through the library at the error level and
    // returns `code`.
    int Refuse(const std::string& message, int code = -22);
    void ApplyPresetTextLine(const std::string& line);
    int ApplyPresetPair(const std::string& key, const std::string& value);
    int InputStreamCount(int file) const;

    // Handlers, named after the options they serve.
    int opt_codec_kind(const std::string& opt, const std::string& arg);
    int opt_frames_kind(const std::string& opt, const std::string& arg);
    int opt_audio_qscale(const std::string& opt, const std::string& arg);
    int opt_kind_suffix(const std::string& opt, const std::string& arg);
    int opt_video_filters(const std::string& opt, const std::string& arg);
    int opt_bitrate(const std::string& opt, const std::string& arg);
    int opt_deprecated_alias(const std::string& opt, const std::string& arg);
    int opt_debug(const std::string& opt, const std::string& arg);
    int opt_loglevel(const std::string& opt, const std::string& arg);
    int opt_map(const std::string& opt, const std::string& arg);
    int opt_map_channel(const std::string& opt, const std::string& arg);
    int opt_map_metadata(const std::string& opt, const std::string& arg);
    int opt_map_meta_data(const std::string& opt, const std::string& arg);
    int opt_recording_timestamp(const std::string& opt, const std::string& arg);
    int opt_target(const std::string& opt, const std::string& arg);
    int opt_attach(const std::string& opt, const std::string& arg);
    int opt_streamid(const std::string& opt, const std::string& arg);
    int opt_pass(const std::string& opt, const std::string& arg);
    int opt_passlogfile(const std::string& opt, const std::string& arg);
    int opt_vstats(const std::string& opt, const std::string& arg);
    int opt_vstats_file(const std::string& opt, const std::string& arg);
    int opt_preset(const std::string& opt, const std::string& arg);
    int opt_video_hook(const std::string& opt, const std::string& arg);
    int opt_video_hook_bpp(const std::string& opt, const std::string& arg);
    int opt_default(const std::string& opt, const std::string& arg);
    int opt_not_supported(const std::string& opt, const std::string& arg);
    int opt_crop_removed(const std::string& opt, const std::string& arg);
    int opt_pad_removed(const std::string& opt, const std::string& arg);
    int opt_ignored(const std::string& opt, const std::string& arg);
    int opt_hook_word(const std::string& opt, const std::string& arg);

    std::unique_ptr<TOptionState> FOwnState;
    TOptionsContext& FContext;
    TJobSettings& FSettings;
    TFFOptions& FOptions;
    const void* FSender;
    bool FHaltOnInvalidOption = true;
    TInputLookup FInputFiles;
};

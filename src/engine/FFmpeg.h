#pragma once
// A job as the encoder component owns it: the core plus the options given for each
// input and output, the job body with its guarded steps, and its termination.

#include "engine/CustomFFmpeg.h"
#include "engine/JobOptions.h"
#include "media/OptionParser.h"

#include <functional>
#include <string>
#include <vector>

class TFFmpeg : public TCustomFFmpeg {
public:
    using TTerminateSlot = std::function<void(TFFmpeg* ASender)>;

    TFFmpeg();
    ~TFFmpeg() override;

    // Parse the options, then open. Never raise for media or option problems: the
    // result is the new index (SetOutput: 0 when joining), or negative with
    // FLastErrMsg set (-1 when an exception was caught).
    int AddInput(const std::string& AFileName, const TInputOptions& AOptions);
    int SetOutput(const std::string& AFileName, const TOutputOptions& AOptions);

    // Runs the job in the calling thread unless it already ran or is running.
    void StartConvert();
    // Ends the conversion at its next round; blocked reads and writes abort.
    void Stop() { FBroken = true; }

    bool Converting() const { return FConverting; }
    bool Terminated() const { return FTerminated; }
    bool Finished() const { return FFinished; }
    bool FatalException() const { return FFatalException; }
    const std::string& FatalMessage() const { return FFatalMessage; }
    const std::vector<TInputOptions>& InputOptions() const { return FInputOptions; }
    const std::vector<TOutputOptions>& OutputOptions() const { return FOutputOptions; }

    TTerminateSlot FOnTerminate;

private:
    void ParseOptions(const std::string& AOptions, const std::string& APresets);
    void RunBody();
    void Guarded(const std::function<void()>& AStep);
    void Fail(const std::string& AMessage);
    void Terminate();

    TOptionParser FParser;
    std::vector<TInputOptions> FInputOptions;
    std::vector<TOutputOptions> FOutputOptions;
    bool FConverting = false;
    bool FTerminated = false;
    bool FFatalException = false;
    std::string FFatalMessage;
};

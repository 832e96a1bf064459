#pragma once
// Input formats that the application provides itself. A job looks a forced format
// name up here before asking libavformat, so that application audio can be fed to
// the engine like any other input.

extern "C" {
#include <libavformat/avformat.h>
}

#include <map>
#include <memory>
#include <mutex>
#include <string>

class TInputFormatAdapter {
public:
    virtual ~TInputFormatAdapter() = default;
    // Prepares AContext for opening AFileName (the adapter's own id for the data):
    // sets its I/O, chooses the demuxer in AFormat and adds demuxer options.
    // Returns 0 or a negative library error code.
    virtual int Prepare(const std::string& AFileName, AVFormatContext* AContext,
        const AVInputFormat*& AFormat, AVDictionary** AOptions)
        = 0;
};

class TInputFormatRegistry {
public:
    static TInputFormatRegistry& Instance();

    void Register(const std::string& AName, std::shared_ptr<TInputFormatAdapter> AAdapter);
    void Unregister(const std::string& AName);
    std::shared_ptr<TInputFormatAdapter> Find(const std::string& AName) const;

private:
    mutable std::mutex FLock;
    std::map<std::string, std::shared_ptr<TInputFormatAdapter>> FFormats;
};

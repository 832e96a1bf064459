#pragma once
// Owner of one library option dictionary. Copies are deep copies.

extern "C" {
#include <libavutil/dict.h>
}

#include <string>
#include <utility>
#include <vector>

class TAVDict {
public:
    TAVDict() = default;
    TAVDict(const TAVDict& other);
    TAVDict(TAVDict&& other) noexcept
        : FDict(std::exchange(other.FDict, nullptr))
    {
    }
    TAVDict& operator=(TAVDict other) noexcept
    {
        std::swap(FDict, other.FDict);
        return *this;
    }
    ~TAVDict() { av_dict_free(&FDict); }

    AVDictionary* get() const { return FDict; }
    // For library calls that take the dictionary and leave back what they did not use.
    AVDictionary** receive() { return &FDict; }

    int Set(const std::string& key, const std::string& value, int flags = 0);
    // The value of exactly this key, or nullptr.
    const char* Get(const std::string& key) const;
    int Count() const { return av_dict_count(FDict); }
    // Entries in insertion order.
    std::vector<std::pair<std::string, std::string>> Entries() const;
    void Clear() { av_dict_free(&FDict); }

private:
    AVDictionary* FDict = nullptr;
};

#include "media/AVDict.h"

TAVDict::TAVDict(const TAVDict& other)
{
    av_dict_copy(&FDict, other.FDict, 0);
}

int TAVDict::Set(const std::string& key, const std::string& value, int flags)
{
    return av_dict_set(&FDict, key.c_str(), value.c_str(), flags);
}

const char* TAVDict::Get(const std::string& key) const
{
    const AVDictionaryEntry* entry = av_dict_get(FDict, key.c_str(), nullptr, AV_DICT_MATCH_CASE);
    return entry ? entry->value : nullptr;
}

std::vector<std::pair<std::string, std::string>> TAVDict::Entries() const
{
    std::vector<std::pair<std::string, std::string>> result;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(FDict, "", entry, AV_DICT_IGNORE_SUFFIX)))
        result.emplace_back(entry->key, entry->value);
    return result;
}

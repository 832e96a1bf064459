#include "media/TagEditor.h"

#include "media/AuException.h"

#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/tag.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <optional>

namespace {

constexpr std::array<std::string_view, 6> HandledExtensions { ".mp3", ".wma", ".m4a", ".flac",
    ".wv", ".ogg" };

std::string LowerExtension(const std::string& AFileName)
{
    std::string ext = std::filesystem::path(AFileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ext;
}

// ID3v2 frames written from now on carry their text in UTF-16. The frame factory is
// process-wide, so it is set once.
void UseUnicodeId3v2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::UTF16);
    });
}

// Opens a file for reading or writing its tag; null when TagLib cannot handle it.
std::optional<TagLib::FileRef> OpenTagged(const std::string& AFileName, bool AReadProperties)
{
    UseUnicodeId3v2();
    TagLib::FileRef file(AFileName.c_str(), AReadProperties);
    if (file.isNull() || !file.tag())
        return std::nullopt;
    return file;
}

std::string ToUtf8(const TagLib::String& AText)
{
    return AText.to8Bit(true);
}
TagLib::String FromUtf8(const std::string& AText)
{
    return { AText, TagLib::String::UTF8 };
}

// A year or track number as the user typed it: only a plain non-negative decimal counts.
std::optional<unsigned int> ParseNumber(const std::string& AText)
{
    unsigned int value = 0;
    const char* end = AText.data() + AText.size();
    auto [ptr, ec] = std::from_chars(AText.data(), end, value);
    if (AText.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

bool TTagEditor::IsHandledType(const std::string& AFileName)
{
    const std::string ext = LowerExtension(AFileName);
    return std::find(HandledExtensions.begin(), HandledExtensions.end(), ext)
        != HandledExtensions.end();
}

bool TTagEditor::CanSave(const std::string& AFileName)
{
    return LowerExtension(AFileName) != ".wma";
}

void TTagEditor::ClearResults()
{
    FTitle.clear();
    FAlbum.clear();
    FArtist.clear();
    FGenre.clear();
    FYear.clear();
    FTrack.clear();
    FDuration = 0;
    FBitrate = 0;
    FValid = false;
}

void TTagEditor::SetFileName(const std::string& AFileName)
{
    FFileName = AFileName;
    ClearResults();
    if (FFileName.empty() || !IsHandledType(FFileName))
        return;
    const auto file = OpenTagged(FFileName, true);
    if (!file)
        return;
    FValid = true;
    const TagLib::Tag* tag = file->tag();
    FTitle = ToUtf8(tag->title());
    FAlbum = ToUtf8(tag->album());
    FArtist = ToUtf8(tag->artist());
    FGenre = ToUtf8(tag->genre());
    FYear = std::to_string(tag->year());
    FTrack = std::to_string(tag->track());
    if (const TagLib::AudioProperties* props = file->audioProperties()) {
        FDuration = static_cast<uint32_t>(std::max(props->lengthInSeconds(), 0));
        FBitrate = static_cast<uint32_t>(std::max(props->bitrate(), 0));
    }
}

void TTagEditor::Save()
{
    if (FFileName.empty() || !CanSave(FFileName))
        return;
    auto file = OpenTagged(FFileName, false);
    if (!file)
        return;
    TagLib::Tag* tag = file->tag();
    tag->setTitle(FromUtf8(FTitle));
    tag->setArtist(FromUtf8(FArtist));
    tag->setAlbum(FromUtf8(FAlbum));
    tag->setGenre(FromUtf8(FGenre));
    if (const auto year = ParseNumber(FYear))
        tag->setYear(*year);
    if (const auto track = ParseNumber(FTrack))
        tag->setTrack(*track);
    if (!file->save())
        throw EAuException("Failed to save tags");
}

#pragma once

#include <cstdint>
#include <string>

// Reads and writes the descriptive tags (title, artist, album, genre, year, track) of an
// audio file through TagLib. Texts and file names are UTF-8. No file stays open between
// calls: setting the file name reads it, Save opens, writes and closes it again.
// Meant for one thread at a time; separate instances may be used on separate threads.
class TTagEditor {
public:
    const std::string& FileName() const { return FFileName; }
    // Remembers the name and reads the file's tags and audio properties. A file of an
    // unhandled type or one that TagLib cannot read leaves Valid false and the texts empty.
    void SetFileName(const std::string& AFileName);

    const std::string& Title() const { return FTitle; }
    const std::string& Album() const { return FAlbum; }
    const std::string& Artist() const { return FArtist; }
    const std::string& Genre() const { return FGenre; }
    const std::string& Year() const { return FYear; }
    const std::string& Track() const { return FTrack; }
    void SetTitle(const std::string& AValue) { FTitle = AValue; }
    void SetAlbum(const std::string& AValue) { FAlbum = AValue; }
    void SetArtist(const std::string& AValue) { FArtist = AValue; }
    void SetGenre(const std::string& AValue) { FGenre = AValue; }
    void SetYear(const std::string& AValue) { FYear = AValue; }
    void SetTrack(const std::string& AValue) { FTrack = AValue; }

    // Writes the texts into the file. WMA files are left alone; a year or track that is
    // not a non-negative integer leaves the file's value; an empty text clears its field.
    // Throws EAuException "Failed to save tags" when TagLib cannot write the file.
    void Save();

    bool Valid() const { return FValid; }
    // Audio length in seconds and bit rate in kilobits per second, as TagLib reads them.
    uint32_t Duration() const { return FDuration; }
    uint32_t Bitrate() const { return FBitrate; }

    // True when the extension, compared in lower case, is one of the tagged file types.
    static bool IsHandledType(const std::string& AFileName);
    // False for the types whose tags Save leaves alone (WMA).
    static bool CanSave(const std::string& AFileName);

private:
    void ClearResults();

    std::string FFileName;
    std::string FTitle;
    std::string FAlbum;
    std::string FArtist;
    std::string FGenre;
    std::string FYear;
    std::string FTrack;
    uint32_t FDuration = 0;
    uint32_t FBitrate = 0;
    bool FValid = false;
};

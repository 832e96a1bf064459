#pragma once
// The maker's web addresses, all in one place.

inline constexpr const char* OnlineGuideUrl = "https://www.quaverly.example/guide/";
inline constexpr const char* SupportUrl = "https://www.quaverly.example/support/";
inline constexpr const char* HomePageUrl = "https://www.quaverly.example/";
inline constexpr const char* FacebookShareUrl = "https://www.quaverly.example/share/facebook";
inline constexpr const char* TwitterShareUrl = "https://www.quaverly.example/share/twitter";

// The names the synchronisation knows on both sides of the line, in one place. Only the work
// file is ever touched, and only to delete it; the others are kept for the handset's sake.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace numora::handset {

// Work files in the program's folder.
inline constexpr std::string_view kWorkFile = "backup.efs";
inline constexpr std::string_view kDefaultBookFile = "default_pb.efs";
inline constexpr std::string_view kImageTempFile = "backup_img.tmp";

// Files on the handset that no run transfers.
inline constexpr std::string_view kVoiceStateFile = "uivrState.dat";
inline constexpr std::string_view kNameTagFile = "VoiceDB/All/Patt/NameTag.int";
inline constexpr std::string_view kNextTagFile = "VoiceDB/All/Tags/NextTag.int";
inline constexpr int kVoiceTags = 20;

// "VoiceDB/All/Tags/Tag00001.tag" to "VoiceDB/All/Tags/Tag00020.tag".
inline std::string VoiceTagFile(int n) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "VoiceDB/All/Tags/Tag000%.2d.tag", n);
    return buf;
}

// The handset's listings of downloaded images, animations, sounds and photos.
inline constexpr std::string_view kImageListing = "db/download_img.txt";
inline constexpr std::string_view kAnimationListing = "db/down_ani_and_snd.txt";
inline constexpr std::string_view kSoundListing = "db/download_snd.txt";
inline constexpr std::string_view kPhotoListing = "db/photo.txt";

}  // namespace numora::handset

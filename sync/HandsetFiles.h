// The work file a run leaves in the program's folder: the only file the synchronisation
// touches, and only to delete it.
#pragma once

#include <string_view>

namespace numora::handset {

inline constexpr std::string_view kWorkFile = "backup.efs";

}  // namespace numora::handset

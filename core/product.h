// The product's fixed names: its title and the registry keys that hold its data.
#pragma once

namespace tsln {

// The title of the plain message boxes, the application folder's name, the start-up mutex, the Run value.
constexpr const char* kProductTitle = "Tessaline";

// The maker's web site, which every link of the program points to, and its support address.
constexpr const char* kVendorSite = "http://www.quillfen.com";
constexpr const char* kSupportAddress = "support@quillfen.com";

// Below HKEY_CURRENT_USER (settings and lists) and HKEY_LOCAL_MACHINE (where it is installed).
constexpr const char* kMakerKey = "Software\\Quillfen";
constexpr const char* kProductKey = "Software\\Quillfen\\Tessaline";

// Below the product key.
constexpr const char* kSettingsSubkey = "Settings";
constexpr const char* kWallpapersSubkey = "Wallpapers";
constexpr const char* kWallpaperListSubkey = "Wallpapers\\List";
constexpr const char* kLogonsSubkey = "Logons";
constexpr const char* kLogonListSubkey = "Logons\\List";
constexpr const char* kBootsSubkey = "Boots";
constexpr const char* kBootListSubkey = "Boots\\List";

} // namespace tsln

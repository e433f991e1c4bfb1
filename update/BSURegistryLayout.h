// The updater's registry tree: every key path and value name that the
// notifier reads or writes, all under HKEY_LOCAL_MACHINE. Code names these
// constants instead of repeating the texts.
//
//   Updater key       "NewUpdate"          REG_SZ     folder of the waiting update; "" = none
//   <Updater>\<product>  "Version"         REG_SZ     product version, written on ignore
//   Notification key  "BSU"                REG_DWORD  0 notify when due, 2 remind later, other: never
//                     "BSU_NEXTUPDATE"     REG_SZ     OLE Automation date of the next notification
//                     "LocationLastUpdate" REG_SZ     folder to delete on the next run
//                     "RetryCount"         REG_DWORD  installer launches that did not complete
//   Notifier key      "Language"           REG_SZ     user-interface language id, decimal
#pragma once

#include <string_view>

inline constexpr char szBSUUpdaterKey[] = "SOFTWARE\\Brelvo\\Brelvo Software Updater";
inline constexpr char szBSUNotificationKey[] = "SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notification";
inline constexpr char szBSUNotifierKey[] = "SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notifier";
// A product's key is the Updater key, this separator, and the product name
// from the update configuration file.
inline constexpr char szBSUProductKeySeparator[] = "\\";

// Under the Updater key.
inline constexpr char szBSUNewUpdateValue[] = "NewUpdate";
// Under a product key.
inline constexpr char szBSUVersionValue[] = "Version";
// Under the Notification key.
inline constexpr char szBSUStatusValue[] = "BSU";
inline constexpr char szBSUNextUpdateValue[] = "BSU_NEXTUPDATE";
inline constexpr char szBSULocationLastUpdateValue[] = "LocationLastUpdate";
inline constexpr char szBSURetryCountValue[] = "RetryCount";
// Under the Notifier key.
inline constexpr char szBSULanguageValue[] = "Language";

// The Notification and Notifier keys sit directly below the Updater key.
static_assert(std::string_view(szBSUNotificationKey).starts_with(szBSUUpdaterKey) &&
              std::string_view(szBSUNotificationKey).substr(sizeof szBSUUpdaterKey - 1) == "\\Notification");
static_assert(std::string_view(szBSUNotifierKey).starts_with(szBSUUpdaterKey) &&
              std::string_view(szBSUNotifierKey).substr(sizeof szBSUUpdaterKey - 1) == "\\Notifier");

#pragma once

// Every key Kist stores in its settings, defined once. The names are those of earlier versions,
// so that users' stored settings keep working.
namespace SettingsKeys {
inline constexpr char kIsExitAfterCloseLastWindow[] = "isExitAfterCloseLastWindow";
inline constexpr char kIsCloseWindowExtractByApp[] = "isCloseWindowExtractByApp";
inline constexpr char kIsAutoExtractFileArchive[] = "isAutoExtractFileArchive";
inline constexpr char kIgnoreHiddenFileWhileArchive[] = "ISIgnoreHiddenFileWhileArchive";
inline constexpr char kSystemEncodingHistory[] = "SYSTEM_ENCODING_HISTORY";
inline constexpr char kRecentArchives[] = "RecentArchives";
inline constexpr char kToolbarConfiguration[] = "Archive Document Toolbar Identifier";
} // namespace SettingsKeys

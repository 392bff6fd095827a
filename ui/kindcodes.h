#pragma once

// Kind codes: what a piece of a product is, as the found-item registry keeps it and column 4 of its
// list row shows it to the code. The first six lead to a caption and a way to the Trash.
namespace KindCode {

inline constexpr const char *Application = "A";         // an application item named with the extension "app"
inline constexpr const char *ApplicationFolder = "AD";  // a folder that holds the product's application
inline constexpr const char *Preferences = "P";         // the preferences folder
inline constexpr const char *Plist = "PL";              // a plist file in the Preferences folder
inline constexpr const char *ApplicationSupport = "AS"; // the folder in Application Support
inline constexpr const char *Documents = "DD";          // the documents folder named in a preference record
// A row of the folder search; never registered.
inline constexpr const char *SearchResult = "DFS";

} // namespace KindCode

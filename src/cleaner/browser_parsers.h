// The parser operations for today's browsers, each its own Customize item so the user chooses:
// history, cookies and site data, form data, sessions and cache of every profile of a
// Chromium-based browser (element 2: its user data folder; element 3, when given: the local
// folder that holds its caches) and of Firefox (element 2: the folder of profiles.ini; element
// 3: its local counterpart, where the caches live). Bookmarks, saved passwords, payment data and
// preferences are never touched.
#pragma once

#include <string_view>

#include "cleaner/customize_parse.h"

namespace lumo {

using BrowserOperation = PrivacyValuesPtr (*)(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);

// The operation called `name` (letter case ignored); null when there is none.
BrowserOperation FindBrowserParser(std::string_view name);

// Visited pages with their visits, typed and keyword-search terms, the downloads list, top
// sites, omnibox shortcuts and predictions, favicon references of pages no bookmark names, and
// the "Visited Links" file.
PrivacyValuesPtr ParseChromiumHistory(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// Cookies by host, and the files of the site data folders (Local Storage, IndexedDB, ...).
PrivacyValuesPtr ParseChromiumCookies(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// Form entries by field name (the autofill table); addresses, cards and passwords stay.
PrivacyValuesPtr ParseChromiumFormData(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// The current and last session files and the session storage.
PrivacyValuesPtr ParseChromiumSessions(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// The files of the cache folders.
PrivacyValuesPtr ParseChromiumCache(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);

// Visited pages with their visits, typed input and download entries; a page a bookmark or a
// keyword needs stays, only its visits go. Favicons of the pages that go.
PrivacyValuesPtr ParseFirefoxHistory(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// Cookies by host, and the files of the sites' storage (storage\default).
PrivacyValuesPtr ParseFirefoxCookies(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// Form history by field name.
PrivacyValuesPtr ParseFirefoxFormData(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// The session store and its backups.
PrivacyValuesPtr ParseFirefoxSessions(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);
// The files of cache2.
PrivacyValuesPtr ParseFirefoxCache(CustomizeParse& parser, const ParserArguments& args, SeekContext& ctx);

}  // namespace lumo

// SpecialParser: the parser operations of Customize items, for traces that a registry path or a
// folder and a pattern cannot describe — the Recycle Bin of every fixed drive, the browser's
// AutoComplete stores and the files of Mozilla profiles.
#pragma once

#include <string_view>

#include "cleaner/customize_parse.h"
#include "cleaner/autocomplete_stores.h"

namespace lumo {

class SpecialParser : public CustomizeParse {
public:
    PrivacyValuesPtr CallParser(std::string_view sName, const ParserArguments& varArgs, SeekContext& ctx) override;

    // Each operation builds and returns a new collection, never null. Failures other than those
    // an operation says it handles reach the caller as exceptions.

    // The Recycle Bin folders of the fixed drives: on NTFS "Recycler\<SID>" and
    // "$Recycle.Bin\<SID>" of the current user (skipped when the SID cannot be had: the folder
    // without it holds every user's deleted files), and "Recycled" on every file system. A clear
    // run empties them and removes the folders themselves.
    PrivacyValuesPtr ParseRecycleBin(const ParserArguments& varArgs, SeekContext& ctx);
    // The form AutoComplete stores; a clear run also deletes the saved form passwords. Raises no
    // AppendValue: the traces reach the item through the returned collection.
    PrivacyValuesPtr ParseIEAutoComplete(const ParserArguments& varArgs, SeekContext& ctx);
    // The address-bar entries of every profile's localstore.rdf. A clear run rewrites the file
    // without them through a temporary file swapped in atomically. Handles its own failures: the
    // parse ends, the traces so far are returned, the rdf file stays as it was.
    PrivacyValuesPtr ParseMozillaAddressHistory(const ParserArguments& varArgs, SeekContext& ctx);
    // Every profile's history.dat.
    PrivacyValuesPtr ParseMozillaHistoryFile(const ParserArguments& varArgs, SeekContext& ctx);
    // The files directly in every profile's Cache folder.
    PrivacyValuesPtr ParseMozillaCacheFiles(const ParserArguments& varArgs, SeekContext& ctx);
    // Every profile's cookies.txt.
    PrivacyValuesPtr ParseMozillaCookies(const ParserArguments& varArgs, SeekContext& ctx);

    // Where the AutoComplete stores are looked for; tests point it at a branch of their own.
    AutoCompleteLocations autoCompleteLocations;
};

}  // namespace lumo
